#include "ui/main_window.h"

#include "platform/text/gbk.h"
#include "ui/main_window_layout.h"
#include "ui/marquee.h"
#include "ui/query.h"

std::unique_ptr<MainWindow> MainWindow::create(Text* error) {
  std::unique_ptr<gui::Form> form = gui::Form::create(mainWindowLayout(), error);
  if (!form) return nullptr;
  std::unique_ptr<MainWindow> window(new MainWindow(std::move(form)));
  window->bindHandlers();
  return window;
}

MainWindow::MainWindow(std::unique_ptr<gui::Form> form)
    : form_(std::move(form)),
      toggle_(form_->window()),
      appearance_(std::make_unique<Appearance>(*form_)) {}

void MainWindow::bindHandlers() {
  gui::Form& f = *form_;

  const QueryControls query = findQueryControls(f);
  query.number.onKeyDown([this, query](int32_t key, int32_t shift) {
    const bool took = runQuery(query, key, shift);
    if (took) changed(LiveAreaChange::Query);
    return took;
  });
  query.number.onContentChanged([this] { changed(LiveAreaChange::Tail); });

  f.label("标签1"_gbk).onDoubleClick([this] { toggle_.toggle(); });
  f.label("标签2"_gbk).onDoubleClick([this] { toggle_.toggle(); });

  const PriceModeControls mode = findPriceModeControls(f);
  mode.random.onClick([mode] { selectRandomPrice(mode); });
  mode.fixed.onClick([mode] { selectFixedPrice(mode); });

  const HeadlineControls headline = findHeadlineControls(f);
  auto headlineHandler = [this, headline](void (*operation)(const HeadlineControls&)) {
    return [this, headline, operation] {
      operation(headline);
      changed(LiveAreaChange::Headline);
    };
  };
  headline.choice1.onClick(headlineHandler(showHeadline1));
  headline.choice2.onClick(headlineHandler(showHeadline2));
  headline.number1.onContentChanged(headlineHandler(copyNumber1));
  headline.number2.onContentChanged(headlineHandler(copyNumber2));

  for (ColourSlot slot : AllColourSlots)
    appearance_->picker(slot).onColourChanged([this, slot] {
      appearance_->apply(slot);
      changed(LiveAreaChange::Colour);
    });
  appearance_->rememberBox().onClick([this] { appearance_->rememberColoursClicked(); });

  const MarqueeControls marquee = findMarqueeControls(f);
  auto marqueeHandler = [this, marquee] {
    updateMarquee(marquee);
    changed(LiveAreaChange::Marquee);
  };
  marquee.enabled.onClick(marqueeHandler);
  marquee.speed.onPositionChanged(marqueeHandler);
  marquee.timer.onTick([this, caption = marquee.caption] {
    marqueeTick(caption);
    changed(LiveAreaChange::MarqueeTick);
  });
}

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
  query.number.onKeyDown([query](int32_t key, int32_t shift) { return runQuery(query, key, shift); });

  f.label("标签1"_gbk).onDoubleClick([this] { toggle_.toggle(); });
  f.label("标签2"_gbk).onDoubleClick([this] { toggle_.toggle(); });

  const PriceModeControls mode = findPriceModeControls(f);
  mode.random.onClick([mode] { selectRandomPrice(mode); });
  mode.fixed.onClick([mode] { selectFixedPrice(mode); });

  const HeadlineControls headline = findHeadlineControls(f);
  headline.choice1.onClick([headline] { showHeadline1(headline); });
  headline.choice2.onClick([headline] { showHeadline2(headline); });
  headline.number1.onContentChanged([headline] { copyNumber1(headline); });
  headline.number2.onContentChanged([headline] { copyNumber2(headline); });

  for (ColourSlot slot : AllColourSlots)
    appearance_->picker(slot).onColourChanged([this, slot] { appearance_->apply(slot); });
  appearance_->rememberBox().onClick([this] { appearance_->rememberColoursClicked(); });

  const MarqueeControls marquee = findMarqueeControls(f);
  marquee.enabled.onClick([marquee] { updateMarquee(marquee); });
  marquee.speed.onPositionChanged([marquee] { updateMarquee(marquee); });
  marquee.timer.onTick([caption = marquee.caption] { marqueeTick(caption); });
}

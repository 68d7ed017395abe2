// Chromium without a window (Debian's chromium, --headless=new) showing one
// page, driven over the DevTools protocol on a pipe: screenshots of the
// page and JavaScript evaluated in it. For the overlay's tests and benchmark.
#pragma once

#include <QImage>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <chrono>
#include <string>

namespace overlay_test {

class HeadlessChromium {
 public:
  // Opens `url` in a page of width x height CSS pixels, over a transparent
  // background. running() says whether Chromium answered.
  HeadlessChromium(const std::string& url, int width, int height);
  ~HeadlessChromium();
  HeadlessChromium(const HeadlessChromium&) = delete;
  HeadlessChromium& operator=(const HeadlessChromium&) = delete;

  bool running() const { return !session_.isEmpty(); }
  // The page's size in CSS pixels, as a browser source of that size has it.
  void resize(int width, int height);
  // The page as Chromium paints it (with an alpha channel); null on failure.
  QImage screenshot();
  // The value of a JavaScript expression (returned by value); undefined on failure.
  QJsonValue evaluate(const QString& expression);
  // Waits until the expression is true; false when it was not in time.
  bool waitUntil(const QString& expression, std::chrono::milliseconds timeout);

 private:
  // One DevTools command; the response's "result", or an empty object.
  QJsonObject call(const QString& method, const QJsonObject& params = {}, bool inPage = true);

  int pid_ = -1;
  int toBrowser_ = -1;
  int fromBrowser_ = -1;
  std::string profile_;
  std::string received_;
  int lastId_ = 0;
  QString session_;
};

}  // namespace overlay_test

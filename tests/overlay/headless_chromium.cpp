#include "tests/overlay/headless_chromium.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

namespace overlay_test {

namespace {

using namespace std::chrono_literals;
constexpr auto ReplyTimeout = 60s;

}  // namespace

HeadlessChromium::HeadlessChromium(const std::string& url, int width, int height) {
  char folder[] = "/tmp/kestrune-chromium.XXXXXX";
  if (!mkdtemp(folder)) return;
  profile_ = folder;
  // Chromium reads commands from its descriptor 3 and answers on 4.
  int commands[2], answers[2];
  if (pipe2(commands, O_CLOEXEC) != 0 || pipe2(answers, O_CLOEXEC) != 0) return;
  // Above 4, so that neither copy onto 3 or 4 overwrites the other.
  for (int* fd : {&commands[0], &commands[1], &answers[0], &answers[1]}) {
    const int high = fcntl(*fd, F_DUPFD_CLOEXEC, 10);
    close(*fd);
    *fd = high;
  }
  // A Chromium that died makes a write fail instead of ending this process.
  signal(SIGPIPE, SIG_IGN);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, commands[0], 3);
  posix_spawn_file_actions_adddup2(&actions, answers[1], 4);
  posix_spawn_file_actions_addopen(&actions, 2, (profile_ + "/stderr").c_str(), O_WRONLY | O_CREAT, 0600);
  const std::string dataDir = "--user-data-dir=" + profile_;
  std::vector<std::string> args = {"chromium", "--headless=new", "--no-sandbox", "--disable-gpu",
                                   "--remote-debugging-pipe", "--no-first-run", "--no-default-browser-check",
                                   "--hide-scrollbars", "--mute-audio", dataDir, "about:blank"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, "chromium", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(commands[0]);
  close(answers[1]);
  toBrowser_ = commands[1];
  fromBrowser_ = answers[0];
  if (spawned != 0) return;
  pid_ = pid;

  const QJsonObject target = call("Target.createTarget", {{"url", QString::fromStdString(url)}}, false);
  const QJsonObject attached = call("Target.attachToTarget", {{"targetId", target["targetId"]}, {"flatten", true}}, false);
  session_ = attached["sessionId"].toString();
  if (session_.isEmpty()) return;
  resize(width, height);
  call("Emulation.setDefaultBackgroundColorOverride",
       {{"color", QJsonObject{{"r", 0}, {"g", 0}, {"b", 0}, {"a", 0}}}});
}

HeadlessChromium::~HeadlessChromium() {
  if (toBrowser_ >= 0) close(toBrowser_);  // Chromium ends when its pipe closes
  if (pid_ > 0) {
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(50ms);
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  if (fromBrowser_ >= 0) close(fromBrowser_);
  std::error_code ignored;
  if (!profile_.empty()) std::filesystem::remove_all(profile_, ignored);
}

QJsonObject HeadlessChromium::call(const QString& method, const QJsonObject& params, bool inPage) {
  if (pid_ <= 0) return {};
  QJsonObject message{{"id", ++lastId_}, {"method", method}, {"params", params}};
  if (inPage) message["sessionId"] = session_;
  const QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact) + '\0';
  if (write(toBrowser_, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size()) return {};
  const auto deadline = std::chrono::steady_clock::now() + ReplyTimeout;
  for (;;) {
    size_t end;
    while ((end = received_.find('\0')) != std::string::npos) {
      const QJsonObject reply = QJsonDocument::fromJson(QByteArray::fromStdString(received_.substr(0, end))).object();
      received_.erase(0, end + 1);
      if (reply["id"].toInt() == lastId_) return reply["result"].toObject();
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fromBrowser_, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
    char buffer[65536];
    const ssize_t n = read(fromBrowser_, buffer, sizeof buffer);
    if (n <= 0) return {};
    received_.append(buffer, static_cast<size_t>(n));
  }
}

void HeadlessChromium::resize(int width, int height) {
  call("Emulation.setDeviceMetricsOverride",
       {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", false}});
}

QImage HeadlessChromium::screenshot() {
  const QJsonObject shot = call("Page.captureScreenshot", {{"format", "png"}});
  return QImage::fromData(QByteArray::fromBase64(shot["data"].toString().toLatin1()), "PNG");
}

QJsonValue HeadlessChromium::evaluate(const QString& expression) {
  const QJsonObject result = call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
  return result["result"].toObject()["value"];
}

bool HeadlessChromium::waitUntil(const QString& expression, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (evaluate(expression).toBool()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

}  // namespace overlay_test

// The version-notice endpoint of deploy/notice (notice-server over HTTPS) on
// a free loopback port, with its runtime folder in a test folder, serving
// whatever notice document the test writes. The endpoint is a child process
// in the foreground that the system ends together with the thread that
// started it, so a test that is killed (a crash, a ctest timeout) leaves no
// server behind.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <memory>
#include <string>

class NoticeEndpoint {
 public:
  // Starts the endpoint; running() says whether it answered.
  explicit NoticeEndpoint(const std::string& folder);
  ~NoticeEndpoint();
  NoticeEndpoint(const NoticeEndpoint&) = delete;
  NoticeEndpoint& operator=(const NoticeEndpoint&) = delete;

  bool running() const { return !address_.empty(); }
  // https://127.0.0.1:PORT/Admins/ksxt.json
  const std::string& address() const { return address_; }
  // The next requests get `document` (bytes as given).
  void serve(const std::string& document) const;

 private:
  std::string runtime_;
  std::string address_;
  pid_t server_ = -1;
};

// A loopback port nothing listens on at the moment of the call.
int freeLoopbackPort();

// A loopback port that accepts connections and never answers, for as long
// as the object lives.
class SilentPort {
 public:
  SilentPort();
  ~SilentPort();
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;
  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

// For a test program that starts the program: one endpoint for the whole
// run, serving the notice of this version, with KESTRUNE_NOTICE_URL pointing
// at it. Register it with ::testing::AddGlobalTestEnvironment.
class MatchingNoticeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  std::string folder_;
  std::unique_ptr<NoticeEndpoint> endpoint_;
};

// tinyproxy (the Debian package) as an HTTP proxy on 127.0.0.1 for one test:
// its own configuration, pid file and log in a temporary folder, a free port,
// optionally Basic authentication.
//
//   kestrune_test::TinyProxy proxy({.user = "u", .password = "p"});
//   ASSERT_TRUE(proxy.running()) << proxy.failure();
//   ... use proxy.address() ("127.0.0.1:PORT") as the proxy ...
//
// The destructor stops the process it started (and only that one) and
// removes the folder. Starting and stopping wait at most a few seconds.
#pragma once

#include <string>
#include <sys/types.h>

namespace kestrune_test {

class TinyProxy {
 public:
  struct Options {
    std::string user;      // Basic authentication when not empty
    std::string password;
  };
  TinyProxy() : TinyProxy(Options{}) {}
  explicit TinyProxy(Options options);
  ~TinyProxy();
  TinyProxy(const TinyProxy&) = delete;
  TinyProxy& operator=(const TinyProxy&) = delete;

  bool running() const { return pid_ > 0; }
  const std::string& failure() const { return failure_; }  // why it did not start
  int port() const { return port_; }
  std::string address() const;  // "127.0.0.1:PORT"
  std::string log() const;      // the proxy's log so far

 private:
  bool start(const Options& options);
  void stop();
  std::string folder_;
  std::string failure_;
  pid_t pid_ = -1;
  int port_ = -1;
};

}  // namespace kestrune_test

// notice-server: the web server of the version-notice endpoint on this
// machine. Serves a site folder over HTTPS on 127.0.0.1, and on no other
// address, as an ordinary process of whoever starts it; notice-endpoint
// prepares the folder and the certificate and starts it.
//
//   notice-server --port N --certificate FILE --key FILE --site DIR
//
// Once it listens it prints the notice address of the site,
// https://127.0.0.1:PORT/Admins/ksxt.json, as one line on standard output
// (port 0: a free port the system chooses); it serves until SIGTERM, SIGINT
// or SIGHUP and then exits 0. Failures and requests (method, path, status,
// Host) are logged on standard error. Exit 1 when it cannot listen, read the certificate or find the
// site; 2 for wrong arguments.
#include <httplib.h>
#include <signal.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr char LoopbackAddress[] = "127.0.0.1";

int failure(const std::string& message) {
  std::fprintf(stderr, "notice-server: %s\n", message.c_str());
  return 1;
}

// The site: index.html for a folder, JSON and HTML as UTF-8, and the notice
// never taken from a cache.
void serveSite(httplib::Server& server) {
  server.set_file_extension_and_mimetype_mapping("json", "application/json; charset=utf-8");
  server.set_file_extension_and_mimetype_mapping("html", "text/html; charset=utf-8");
  server.set_post_routing_handler([](const httplib::Request& request, httplib::Response& response) {
    if (request.path.rfind("/Admins/", 0) == 0) response.set_header("Cache-Control", "no-cache");
  });
  server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
    std::fprintf(stderr, "%s %s %d %s\n", request.method.c_str(), request.path.c_str(), response.status,
                 request.get_header_value("Host").c_str());
  });
  // A handful of threads: the endpoint answers one program at a time.
  server.new_task_queue = [] { return new httplib::ThreadPool(4); };
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli("The web server of the version-notice endpoint: serves DIR over HTTPS on 127.0.0.1.",
               "notice-server");
  int port = 0;
  std::string certificate, key, site;
  cli.add_option("--port", port, "the port on 127.0.0.1 (0: a free one)")->required()->check(CLI::Range(0, 65535));
  cli.add_option("--certificate", certificate, "the server certificate (PEM)")->required();
  cli.add_option("--key", key, "its private key (PEM)")->required();
  cli.add_option("--site", site, "the folder served")->required();
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return cli.exit(error) == 0 ? 0 : 2;
  }

  // The signals that end the server are taken by one thread that waits for
  // them; every other thread (the server's too) has them blocked.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&endSignals, s);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  httplib::SSLServer server(certificate.c_str(), key.c_str());
  if (!server.is_valid()) return failure("cannot use the certificate " + certificate + " with the key " + key);
  if (!server.set_mount_point("/", site)) return failure("no site folder " + site);
  serveSite(server);

  const int listening = port == 0 ? server.bind_to_any_port(LoopbackAddress)
                                  : (server.bind_to_port(LoopbackAddress, port) ? port : -1);
  if (listening <= 0)
    return failure("cannot listen on " + std::string(LoopbackAddress) + ":" + std::to_string(port));
  port = listening;
  std::printf("https://%s:%d/Admins/ksxt.json\n", LoopbackAddress, port);
  std::fflush(stdout);

  std::thread waiter([&server, &endSignals] {
    int received = 0;
    sigwait(&endSignals, &received);
    server.stop();
  });
  const bool served = server.listen_after_bind();
  if (!served) {
    // The listening loop failed by itself: wake the waiter so that it ends.
    pthread_kill(waiter.native_handle(), SIGTERM);
  }
  waiter.join();
  return served ? 0 : failure("the server stopped on an error");
}

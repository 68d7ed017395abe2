#include "tests/support/http_test_server.h"

#include <httplib.h>
#include <openssl/pem.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace kestrune_test {

struct HttpTestServer::State {
  std::unique_ptr<httplib::Server> server;
  std::thread thread;
  int port = -1;
  bool secure = false;
  mutable std::mutex lock;
  mutable std::condition_variable recorded;
  std::vector<RecordedRequest> requests;
  std::map<std::pair<std::string, std::string>, TestHandler> routes;

  void serve(const httplib::Request& req, httplib::Response& res, std::string body);
  const TestHandler* route(const std::string& method, const std::string& path) const;
};

namespace {

RecordedRequest record(const httplib::Request& req) {
  RecordedRequest r;
  r.method = req.method;
  r.target = req.target;
  r.version = req.version;
  for (const auto& [name, value] : req.headers) {
    // httplib adds the socket's addresses as headers of its own.
    if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
        name == "LOCAL_PORT")
      continue;
    r.headers.emplace_back(name, value);
  }
  return r;
}

std::unique_ptr<httplib::Server> makeServer(const TestCertificate* certificate) {
  if (certificate == nullptr) return std::make_unique<httplib::Server>();
  BIO* certBio = BIO_new_mem_buf(certificate->certificatePem.data(),
                                 static_cast<int>(certificate->certificatePem.size()));
  BIO* keyBio = BIO_new_mem_buf(certificate->privateKeyPem.data(),
                                static_cast<int>(certificate->privateKeyPem.size()));
  X509* cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
  EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
  BIO_free(certBio);
  BIO_free(keyBio);
  std::unique_ptr<httplib::Server> server;
  if (cert != nullptr && key != nullptr) server = std::make_unique<httplib::SSLServer>(cert, key);
  X509_free(cert);  // the server's context holds its own references
  EVP_PKEY_free(key);
  return server;
}

}  // namespace

const TestHandler* HttpTestServer::State::route(const std::string& method,
                                                const std::string& path) const {
  for (const auto& key : {std::pair{method, path}, std::pair{method, std::string("*")},
                          std::pair{std::string("*"), path},
                          std::pair{std::string("*"), std::string("*")}}) {
    auto it = routes.find(key);
    if (it != routes.end()) return &it->second;
  }
  return nullptr;
}

void HttpTestServer::State::serve(const httplib::Request& req, httplib::Response& res,
                                  std::string body) {
  RecordedRequest request = record(req);
  request.body = std::move(body);
  TestHandler handler;
  {
    std::lock_guard guard(lock);
    if (const TestHandler* h = route(req.method, req.path)) handler = *h;
  }
  TestResponse response{404, {}, "not found"};
  if (handler) response = handler(request);
  res.status = response.status;
  for (const auto& [name, value] : response.headers) res.headers.emplace(name, value);
  res.set_content(response.body, response.contentType.c_str());
  {
    std::lock_guard guard(lock);
    requests.push_back(std::move(request));
  }
  recorded.notify_all();
}

HttpTestServer::HttpTestServer() : state_(new State) { start(nullptr); }

HttpTestServer::HttpTestServer(const TestCertificate& certificate) : state_(new State) {
  start(&certificate);
}

void HttpTestServer::start(const TestCertificate* certificate) {
  state_->secure = certificate != nullptr;
  state_->server = makeServer(certificate);
  if (!state_->server || !state_->server->is_valid()) return;
  httplib::Server& server = *state_->server;
  server.set_keep_alive_max_count(1);
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
  State* state = state_.get();
  auto handler = [state](const httplib::Request& req, httplib::Response& res) {
    state->serve(req, res, req.body);
  };
  // Bodies are read here: httplib itself would refuse form bodies over
  // 8 KiB. Multipart bodies only come apart (the parts' contents are kept).
  auto reading = [state](const httplib::Request& req, httplib::Response& res,
                         const httplib::ContentReader& read) {
    std::string body;
    auto append = [&body](const char* data, size_t size) {
      body.append(data, size);
      return true;
    };
    if (req.is_multipart_form_data())
      read([](const httplib::MultipartFormData&) { return true; }, append);
    else
      read(append);
    state->serve(req, res, std::move(body));
  };
  server.Get(".*", handler);
  server.Post(".*", reading);
  server.Put(".*", reading);
  server.Patch(".*", reading);
  server.Delete(".*", reading);
  server.Options(".*", handler);
  state_->port = server.bind_to_any_port("127.0.0.1");
  if (state_->port <= 0) return;
  state_->thread = std::thread([state] { state->server->listen_after_bind(); });
  for (int i = 0; i < 500 && !server.is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

HttpTestServer::~HttpTestServer() {
  if (state_->server) state_->server->stop();
  if (state_->thread.joinable()) state_->thread.join();
}

bool HttpTestServer::running() const { return state_->server && state_->server->is_running(); }
bool HttpTestServer::secure() const { return state_->secure; }
int HttpTestServer::port() const { return state_->port; }

std::string HttpTestServer::url(std::string_view pathAndQuery) const {
  return std::string(state_->secure ? "https" : "http") + "://127.0.0.1:" +
         std::to_string(state_->port) + std::string(pathAndQuery);
}

void HttpTestServer::on(std::string method, std::string path, TestHandler handler) {
  std::lock_guard guard(state_->lock);
  state_->routes[{std::move(method), std::move(path)}] = std::move(handler);
}

void HttpTestServer::on(std::string method, std::string path, TestResponse response) {
  on(std::move(method), std::move(path),
     [response](const RecordedRequest&) { return response; });
}

std::vector<RecordedRequest> HttpTestServer::requests() const {
  std::lock_guard guard(state_->lock);
  return state_->requests;
}

size_t HttpTestServer::requestCount() const {
  std::lock_guard guard(state_->lock);
  return state_->requests.size();
}

RecordedRequest HttpTestServer::lastRequest() const {
  std::lock_guard guard(state_->lock);
  return state_->requests.empty() ? RecordedRequest{} : state_->requests.back();
}

bool HttpTestServer::waitForRequests(size_t count, std::chrono::milliseconds bound) const {
  std::unique_lock guard(state_->lock);
  return state_->recorded.wait_for(guard, bound,
                                   [&] { return state_->requests.size() >= count; });
}

}  // namespace kestrune_test

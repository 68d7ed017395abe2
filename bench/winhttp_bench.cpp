// The WinHTTP stand-in against libcurl alone reading the same bytes from the
// same loopback server (the stand-in's cost on top of its transport): a
// 256 MiB download read in 1 MiB calls, as the request engine reads, and a
// small GET on a new connection.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <vector>

#include "platform/winhttp/winhttp.h"
#include "tests/support/scripted_server.h"

namespace {

using namespace kestrune_test;

constexpr size_t bodySize = 256u << 20;

Script largeAnswer() {
  return [](ScriptedConnection& c) {
    static const std::string block = patternBytes(0, 1 << 20);
    if (!c.readRequest() ||
        !c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bodySize) + "\r\n\r\n"))
      return;
    for (size_t sent = 0; sent < bodySize; sent += block.size())
      if (!c.send(block)) return;
  };
}

Script smallAnswer() { return scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsmall"); }

// Body bytes of one GET through the stand-in.
size_t standInGet(const ScriptedServer& server, std::vector<char>& buffer) {
  HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = WinHttpConnect(session, u"127.0.0.1", static_cast<INTERNET_PORT>(server.port()), 0);
  HINTERNET request = WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  size_t total = 0;
  if (WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) && WinHttpReceiveResponse(request, nullptr)) {
    DWORD available = 0, read = 0;
    while (WinHttpQueryDataAvailable(request, &available) && available > 0 &&
           WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) && read > 0)
      total += read;
  }
  for (HINTERNET h : {request, connection, session}) WinHttpCloseHandle(h);
  return total;
}

size_t discard(char*, size_t size, size_t count, void* total) {
  *static_cast<size_t*>(total) += size * count;
  return size * count;
}

// Body bytes of one GET through libcurl's easy interface.
size_t libcurlGet(const ScriptedServer& server, std::vector<char>&) {
  CURL* curl = curl_easy_init();
  size_t total = 0;
  curl_easy_setopt(curl, CURLOPT_URL, server.url("/").c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &total);
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return total;
}

template <size_t (*Get)(const ScriptedServer&, std::vector<char>&)>
void Download(benchmark::State& state) {
  ScriptedServer server(largeAnswer());
  std::vector<char> buffer(1 << 20);
  for (auto _ : state)
    if (Get(server, buffer) != bodySize) state.SkipWithError("short body");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bodySize));
}

template <size_t (*Get)(const ScriptedServer&, std::vector<char>&)>
void SmallGet(benchmark::State& state) {
  ScriptedServer server(smallAnswer());
  std::vector<char> buffer(64);
  for (auto _ : state)
    if (Get(server, buffer) != 5) state.SkipWithError("no answer");
}

BENCHMARK(Download<standInGet>)->Name("StandInDownload")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Download<libcurlGet>)->Name("LibcurlDownload")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SmallGet<standInGet>)->Name("StandInSmallGet")->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(SmallGet<libcurlGet>)->Name("LibcurlSmallGet")->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

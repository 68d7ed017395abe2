// The WinHTTP stand-in's download throughput on loopback against libcurl
// alone reading the same bytes from the same server (the stand-in's cost on
// top of its transport). Reads in 1 MiB calls, as the request engine does.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <vector>

#include "platform/winhttp/winhttp.h"
#include "tests/support/scripted_server.h"

namespace {

using namespace kestrune_test;

constexpr size_t bodySize = 256u << 20;

Script sendBody() {
  return [](ScriptedConnection& c) {
    static const std::string block = patternBytes(0, 1 << 20);
    if (!c.readRequest() ||
        !c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bodySize) + "\r\n\r\n"))
      return;
    for (size_t sent = 0; sent < bodySize; sent += block.size())
      if (!c.send(block)) return;
  };
}

void StandInDownload(benchmark::State& state) {
  ScriptedServer server(sendBody());
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
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
    if (total != bodySize) state.SkipWithError("short body");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bodySize));
}

size_t discard(char*, size_t size, size_t count, void* total) {
  *static_cast<size_t*>(total) += size * count;
  return size * count;
}

void LibcurlDownload(benchmark::State& state) {
  ScriptedServer server(sendBody());
  for (auto _ : state) {
    CURL* curl = curl_easy_init();
    size_t total = 0;
    curl_easy_setopt(curl, CURLOPT_URL, server.url("/").c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &total);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (total != bodySize) state.SkipWithError("short body");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bodySize));
}

// One small GET on a new connection each time.
Script smallAnswer() { return scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsmall"); }

void StandInSmallGet(benchmark::State& state) {
  ScriptedServer server(smallAnswer());
  char buffer[64];
  for (auto _ : state) {
    HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
    HINTERNET connection = WinHttpConnect(session, u"127.0.0.1", static_cast<INTERNET_PORT>(server.port()), 0);
    HINTERNET request = WinHttpOpenRequest(connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
    DWORD read = 0;
    if (!WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) || !WinHttpReceiveResponse(request, nullptr) ||
        !WinHttpReadData(request, buffer, sizeof buffer, &read) || read != 5)
      state.SkipWithError("no answer");
    for (HINTERNET h : {request, connection, session}) WinHttpCloseHandle(h);
  }
}

void LibcurlSmallGet(benchmark::State& state) {
  ScriptedServer server(smallAnswer());
  for (auto _ : state) {
    CURL* curl = curl_easy_init();
    size_t total = 0;
    curl_easy_setopt(curl, CURLOPT_URL, server.url("/").c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &total);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (total != 5) state.SkipWithError("no answer");
  }
}

BENCHMARK(StandInSmallGet)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(LibcurlSmallGet)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(StandInDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LibcurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

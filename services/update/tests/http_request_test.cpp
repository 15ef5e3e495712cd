#include "services/update/http_request.h"

#include <gtest/gtest.h>
#include <openssl/x509_vfy.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "services/update/tests/test_pki.h"
#include "tests/support/http/local_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// Short enough for hostile servers to end quickly, long enough for honest
// ones on a busy machine; kBoundMs is the most any exchange may take.
constexpr int kIdleMs = 3000;
constexpr int kTotalMs = 8000;
constexpr long long kBoundMs = 30000;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string Body(const CHttpRequest& request) {
  const auto& r = request.Response();
  return std::string(reinterpret_cast<const char*>(r.Data()), static_cast<std::size_t>(r.Count()));
}

struct Fetched {
  int code;
  std::string body;
  long long ms;
};

Fetched Fetch(CHttpRequest& request, const std::string& url) {
  request.SetTimeouts(kIdleMs, kTotalMs);
  const auto start = Clock::now();
  const int code = request.HttpGet(url.c_str(), false, nullptr, nullptr, nullptr, true);
  return {code, Body(request), MsSince(start)};
}

std::string PathOf(const std::string& head) {
  const std::size_t a = head.find(' ');
  const std::size_t b = head.find(' ', a + 1);
  return a == std::string::npos || b == std::string::npos ? std::string() : head.substr(a + 1, b - a - 1);
}

// Each part written after a short pause, then the connection closed, or
// kept open until the client goes when stall is set.
LocalHandler Reply(std::vector<std::string> parts, bool stall = false) {
  return [parts, stall](LocalSession& s) {
    if (s.ReadHead().empty()) return;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (i > 0) Pause(50);
      if (!s.Write(parts[i])) return;
    }
    if (stall) s.WaitForClose();
  };
}

// Answers by path; "$PORT" in an answer becomes the server's port.
LocalHandler Routes(std::map<std::string, std::string> routes) {
  return [routes](LocalSession& s) {
    const auto it = routes.find(PathOf(s.ReadHead()));
    std::string answer = it != routes.end() ? it->second : HttpAnswer("404 Not Found", "");
    const std::size_t at = answer.find("$PORT");
    if (at != std::string::npos) answer.replace(at, 5, std::to_string(s.Port()));
    s.Write(answer);
  };
}

TEST(HttpRequest, AnswersHonestAndHostileEndWithTheirCodeInBoundedTimeAndMemory) {
  const std::string ok = "HTTP/1.0 200 OK\r\n";
  const std::string endlessHeader = "X-Filler: " + std::string(1000, 'a') + "\r\n";
  struct Case {
    const char* name;
    LocalHandler handler;
    int code;
    const char* body;
  };
  const Case cases[] = {
      {"head and body in one write", Reply({HttpAnswer("200 OK", "1.2.3")}), kHttpOk, "1.2.3"},
      {"head's end split across writes", Reply({ok + "Content-Length: 5\r\n\r", "\n1.2.3"}), kHttpOk, "1.2.3"},
      {"no length: the close ends the body", Reply({ok + "\r\n1.2", ".3"}), kHttpOk, "1.2.3"},
      {"length 0 returns though the server stays", Reply({HttpAnswer("200 OK", "")}, true), kHttpOk, ""},
      {"no length and the close before any byte", Reply({ok + "\r\n"}), kHttpReceiveFailed, ""},
      {"not found", Reply({HttpAnswer("404 Not Found", "gone")}), 404, ""},
      {"server error", Reply({HttpAnswer("503 Busy", "")}), kHttpServerError, ""},
      {"402 without a location", Reply({HttpAnswer("402 Pay", "")}), kHttpRedirectUnusable, ""},
      {"status line without a number", Reply({"HTTP/1.0 2x0 OK\r\n\r\n1.2.3"}), kHttpReceiveFailed, ""},
      {"length 10^12", Reply({ok + "Content-Length: 1000000000000\r\n\r\n1.2.3"}, true), kHttpReceiveFailed, ""},
      {"negative length", Reply({ok + "Content-Length: -5\r\n\r\n1.2.3"}), kHttpReceiveFailed, ""},
      {"length not a number", Reply({ok + "Content-Length: 5x\r\n\r\n1.2.3"}), kHttpReceiveFailed, ""},
      {"body beyond the limit", Reply({ok + "\r\n" + std::string(kHttpMaxBody + 1, 'x')}), kHttpReceiveFailed, ""},
      {"body closed half way", Reply({ok + "Content-Length: 10\r\n\r\n12345"}), kHttpReceiveFailed, ""},
      {"body silent half way", Reply({ok + "Content-Length: 10\r\n\r\n12345"}, true), kHttpReceiveFailed, ""},
      {"head closed half way", Reply({ok + "Content-Length: 5\r\n"}), kHttpReceiveFailed, ""},
      {"endless head",
       [&](LocalSession& s) {
         if (s.ReadHead().empty() || !s.Write(ok)) return;
         while (s.Write(endlessHeader)) {
         }
       },
       kHttpReceiveFailed, ""},
      {"never answers",
       [](LocalSession& s) {
         s.ReadHead();
         s.WaitForClose();
       },
       kHttpReceiveFailed, ""},
      {"drips a byte at a time",
       [&](LocalSession& s) {
         if (s.ReadHead().empty()) return;
         const std::string answer = ok + "X-Pad: " + std::string(700, 'a') + "\r\nContent-Length: 5\r\n\r\n1.2.3";
         for (char c : answer) {
           if (!s.Write(std::string(1, c))) return;
           Pause(20);
         }
       },
       kHttpReceiveFailed, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LocalServer server(c.handler);
    CHttpRequest request;
    const Fetched got = Fetch(request, server.Url("/version.txt"));
    EXPECT_EQ(got.code, c.code);
    EXPECT_EQ(got.body, c.body);
    EXPECT_LT(got.ms, kBoundMs);
    EXPECT_LE(request.Response().Capacity(), static_cast<std::int32_t>(2 * kHttpMaxBody));
  }
}

TEST(HttpRequest, SendsOneHttp10GetWithHostAndBasicAuthorisation) {
  std::string head;
  LocalServer server([&](LocalSession& s) {
    head = s.ReadHead();
    s.Write(HttpAnswer("200 OK", "1"));
  });
  CHttpRequest request;
  request.SetTimeouts(kIdleMs, kTotalMs);
  ASSERT_EQ(request.HttpGet(server.Url("/v.txt?x=1").c_str(), false, "user", "pass", nullptr, true), kHttpOk);
  EXPECT_EQ(head, "GET /v.txt?x=1 HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\nHost: 127.0.0.1:" +
                      std::to_string(server.Port()) + "\r\n\r\n");
  // A credential that would end the header line never reaches the server.
  EXPECT_EQ(request.HttpGet(server.Url("/").c_str(), false, "user", "pa\r\nX: 1", nullptr, true), kHttpBadRequest);
  EXPECT_EQ(server.Connections(), 1);
}

TEST(HttpRequest, RedirectsAreFollowedResolvedAndBounded) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> routes;
    int code;
    const char* body;
    int connections;
  };
  const std::string moved = "302 Found";
  const Case cases[] = {
      {"absolute",
       {{"/a", HttpAnswer(moved.c_str(), "", "Location: http://127.0.0.1:$PORT/b\r\n")}, {"/b", HttpAnswer("200 OK", "2.0")}},
       kHttpOk, "2.0", 2},
      {"relative",
       {{"/d/a", HttpAnswer(moved.c_str(), "", "Location: ../d/b?q\r\n")}, {"/d/b?q", HttpAnswer("200 OK", "2.1")}},
       kHttpOk, "2.1", 2},
      {"same address", {{"/d/a", HttpAnswer(moved.c_str(), "", "Location: /d/a\r\n")}}, kHttpRedirectUnusable, "", 1},
      {"loop",
       {{"/d/a", HttpAnswer(moved.c_str(), "", "Location: /b\r\n")}, {"/b", HttpAnswer(moved.c_str(), "", "Location: /d/a\r\n")}},
       kHttpRedirectUnusable, "", kHttpMaxRedirects + 1},
      {"unusable location", {{"/d/a", HttpAnswer(moved.c_str(), "", "Location: ftp://h/\r\n")}}, kHttpRedirectUnusable, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LocalServer server(Routes(c.routes));
    CHttpRequest request;
    const std::string start = c.routes.count("/a") ? "/a" : "/d/a";
    const Fetched got = Fetch(request, server.Url(start.c_str()));
    EXPECT_EQ(got.code, c.code);
    EXPECT_EQ(got.body, c.body);
    EXPECT_EQ(server.Connections(), c.connections);
  }
}

// The proxy checks its Basic authorisation; the server's name does not
// resolve, so only the proxy can answer.
TEST(HttpRequest, ProxyForwardsOrTunnelsWithBasicAuthorisation) {
  const std::string auth = "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n";
  const auto authorised = [&](const std::string& head, const std::string& line) {
    return head.rfind(line, 0) == 0 && head.find(auth) != std::string::npos;
  };
  struct Case {
    bool tunnel;
    const char* password;
    int code;
  };
  for (const Case& c : {Case{false, "pass", kHttpOk}, Case{true, "pass", kHttpOk}, Case{false, "wrong", kHttpProxyAuthRequired},
                        Case{true, "wrong", kHttpProxyAuthRequired}}) {
    SCOPED_TRACE(std::string(c.tunnel ? "tunnel " : "forward ") + c.password);
    LocalServer proxy([&](LocalSession& s) {
      const std::string head = s.ReadHead();
      if (c.tunnel) {
        if (!authorised(head, "CONNECT update.invalid:80 HTTP/1.0\r\n")) {
          s.Write("HTTP/1.0 407 Who\r\n\r\n");
          return;
        }
        s.Write("HTTP/1.0 200 Connection established\r\n\r\n");
        const std::string get = s.ReadHead();
        const bool plain = get.rfind("GET /v.txt HTTP/1.0\r\n", 0) == 0 && get.find("Proxy-") == std::string::npos;
        s.Write(plain ? HttpAnswer("200 OK", "3.0") : HttpAnswer("400 Bad", ""));
      } else {
        s.Write(authorised(head, "GET http://update.invalid/v.txt HTTP/1.0\r\n") ? HttpAnswer("200 OK", "3.0")
                                                                                 : HttpAnswer("407 Who", ""));
      }
    });
    CHttpRequest request;
    ASSERT_TRUE(request.SetProxy("127.0.0.1", proxy.Port(), c.tunnel, "user", c.password));
    const Fetched got = Fetch(request, "http://update.invalid/v.txt");
    EXPECT_EQ(got.code, c.code);
    EXPECT_EQ(got.body, c.code == kHttpOk ? "3.0" : "");
  }
}

TEST(HttpConnection, UnknownHostAndRefusedPortFailAtOnce) {
  std::uint16_t closedPort = 0;
  {
    CNetSocket probe;
    ASSERT_TRUE(probe.ListenLocal(&closedPort));
  }
  struct Case {
    const char* host;
    std::uint16_t port;
    int code;
  };
  for (const Case& c : {Case{"nothing-here.invalid", 80, kConnHostNotFound}, Case{"127.0.0.1", closedPort, kConnFailed}}) {
    SCOPED_TRACE(c.host);
    CHttpConnection connection;
    const auto start = Clock::now();
    EXPECT_EQ(connection.Connect(c.host, c.port, kTlsNone, 30), c.code);
    EXPECT_LT(MsSince(start), kBoundMs);
    EXPECT_FALSE(connection.IsOpen());
  }
}

// The cancel byte, set by another thread, stops a connect that the server
// never completes (its queue is full) and a receive from a silent server.
TEST(HttpRequest, CancelEndsConnectAndReceiveWithinAPoll) {
  CNetSocket full;
  std::uint16_t fullPort = 0;
  ASSERT_TRUE(full.ListenLocal(&fullPort, 0));
  CNetSocket queued;
  ASSERT_EQ(queued.StartConnect("127.0.0.1", fullPort), NetStart::kStarted);
  Pause(100);
  LocalServer silent([](LocalSession& s) { s.WaitForClose(); });

  const std::string silentUrl = silent.Url("/");
  struct Case {
    const char* name;
    std::function<bool(const std::atomic<std::uint8_t>*)> cancelled;  // runs until cancelled
  };
  const Case cases[] = {
      {"connect",
       [&](const std::atomic<std::uint8_t>* cancel) {
         CHttpConnection connection;
         connection.SetCancelFlagPointer(cancel);
         return connection.Connect("127.0.0.1", fullPort, kTlsNone, 60) == kConnCancelled;
       }},
      {"receive",
       [&](const std::atomic<std::uint8_t>* cancel) {
         CHttpRequest request;
         request.SetCancelFlagPointer(cancel);
         request.SetTimeouts(60000, 60000);
         return request.HttpGet(silentUrl.c_str(), false, nullptr, nullptr, nullptr, true) == kHttpCancelled;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<std::uint8_t> cancel{0};
    Clock::time_point cancelledAt;
    std::thread canceller([&] {
      Pause(300);
      cancelledAt = Clock::now();
      cancel = 1;
    });
    const bool cancelled = c.cancelled(&cancel);
    const auto endedAt = Clock::now();
    canceller.join();
    const long long latency = std::chrono::duration_cast<std::chrono::milliseconds>(endedAt - cancelledAt).count();
    std::printf("cancel of a %s took %lld ms\n", c.name, latency);
    EXPECT_TRUE(cancelled);
    EXPECT_LT(latency, 1000);
  }
}

LocalTlsContext ServerTls(test_pki::ServerCase which) {
  const test_pki::Credentials& server = test_pki::Server(which);
  return MakeServerTls(server.certificatePem, server.keyPem);
}

TEST(HttpRequest, TlsTakesOnlyAVerifiedServerOfTheNameAsked) {
  ASSERT_TRUE(test_pki::TrustAuthority());
  using test_pki::ServerCase;
  struct Case {
    const char* name;
    ServerCase server;
    const char* host;
    int code;
    long verify;
  };
  const Case cases[] = {
      {"valid", ServerCase::kValid, "localhost", kHttpOk, X509_V_OK},
      {"valid, by address", ServerCase::kValid, "127.0.0.1", kHttpOk, X509_V_OK},
      {"unknown authority", ServerCase::kUnknownAuthority, "localhost", kHttpConnectFailed,
       X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
      {"expired", ServerCase::kExpired, "localhost", kHttpConnectFailed, X509_V_ERR_CERT_HAS_EXPIRED},
      {"other host", ServerCase::kOtherHost, "localhost", kHttpConnectFailed, X509_V_ERR_HOSTNAME_MISMATCH},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LocalTlsContext tls = ServerTls(c.server);
    ASSERT_TRUE(tls);
    // The name is sent, but never an address.
    const std::string sni = std::isalpha(static_cast<unsigned char>(c.host[0])) ? c.host : "";
    LocalServer server(
        [&](LocalSession& s) {
          if (!s.ReadHead().empty()) s.Write(HttpAnswer(s.ServerName() == sni ? "200 OK" : "400 Bad", "1.2.3"));
        },
        tls.get());
    CHttpRequest request;
    const Fetched got = Fetch(request, server.Url("/v.txt", c.host));
    EXPECT_EQ(got.code, c.code);
    EXPECT_EQ(got.body, c.code == kHttpOk ? "1.2.3" : "");
    EXPECT_EQ(request.TlsVerifyResult(), c.verify);
  }
}

// TLS runs inside the proxy's tunnel, and a redirect never leaves https
// for plain http.
TEST(HttpRequest, HttpsTunnelsThroughAProxyAndIsNeverDowngraded) {
  ASSERT_TRUE(test_pki::TrustAuthority());
  const LocalTlsContext tls = ServerTls(test_pki::ServerCase::kValid);
  ASSERT_TRUE(tls);
  LocalServer proxy([&](LocalSession& s) {
    if (s.ReadHead().rfind("CONNECT localhost:443 HTTP/1.0\r\n", 0) != 0 ||
        !s.Write("HTTP/1.0 200 Connection established\r\n\r\n") || !s.StartTls(tls.get())) {
      return;
    }
    s.Write(s.ReadHead().rfind("GET /v.txt HTTP/1.0\r\n", 0) == 0 ? HttpAnswer("200 OK", "4.0")
                                                                  : HttpAnswer("400 Bad", ""));
  });
  CHttpRequest tunnelled;
  ASSERT_TRUE(tunnelled.SetProxy("127.0.0.1", proxy.Port(), false, nullptr, nullptr));
  const Fetched got = Fetch(tunnelled, "https://localhost/v.txt");
  EXPECT_EQ(got.code, kHttpOk);
  EXPECT_EQ(got.body, "4.0");

  LocalServer plain(Reply({HttpAnswer("200 OK", "5.0")}));
  const std::string location = "Location: " + plain.Url("/v.txt") + "\r\n";
  LocalServer secure(Reply({HttpAnswer("301 Moved", "", location.c_str())}), tls.get());
  CHttpRequest request;
  EXPECT_EQ(Fetch(request, secure.Url("/v.txt", "localhost")).code, kHttpRedirectUnusable);
  EXPECT_EQ(plain.Connections(), 0);
}

}  // namespace

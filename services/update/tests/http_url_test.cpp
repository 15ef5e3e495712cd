#include "services/update/http_url.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Text(const HttpUrl& url) {
  char text[kHttpUrlSize];
  return FormatHttpUrl(url, text, sizeof text) ? text : "<no fit>";
}

std::string Parsed(const std::string& text) {
  HttpUrl url;
  if (!ParseHttpUrl(text.data(), text.size(), &url)) return "<refused>";
  return Text(url) + " " + url.host + " " + std::to_string(url.port) + " " + url.path;
}

TEST(HttpUrl, ParsesHttpAndHttpsAndRefusesAnythingThatCouldReshapeTheRequest) {
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"http://example.com", "http://example.com/ example.com 80 /"},
      {"HTTPS://Example.COM:8443/v.txt?x=1#top", "https://example.com:8443/v.txt?x=1 example.com 8443 /v.txt?x=1"},
      {"https://h:443?q", "https://h/?q h 443 /?q"},
      {"http://10.0.0.1:80/a/b", "http://10.0.0.1/a/b 10.0.0.1 80 /a/b"},
      {"ftp://h/", "<refused>"},
      {"http:/h/", "<refused>"},
      {"http:///p", "<refused>"},
      {"http://user:pw@h/", "<refused>"},
      {"http://h:/", "<refused>"},
      {"http://h:0/", "<refused>"},
      {"http://h:65536/", "<refused>"},
      {"http://h:999999999999999999999/", "<refused>"},
      {"http://h:8x/", "<refused>"},
      {"http://[::1]/", "<refused>"},
      {"http://h_x/", "<refused>"},
      {"http://h/a b", "<refused>"},
      {"http://h/a\r\nX-Injected: 1", "<refused>"},
      {std::string("http://h/a\0b", 12), "<refused>"},
      {"http://h/a\\b", "<refused>"},
      {"http://h/\xC3\xA4", "<refused>"},
      {"http://" + std::string(260, 'h') + "/", "<refused>"},
      {"http://h/" + std::string(1030, 'x'), "http://h/" + std::string(1030, 'x') + " h 80 /" + std::string(1030, 'x')},
      {"http://h/" + std::string(1031, 'x'), "<refused>"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parsed(c.text), c.expected) << c.text;
}

TEST(HttpUrl, ProxyAddressesGiveHostAndPort) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"proxy.lan:3128", "proxy.lan 3128"}, {"Proxy", "proxy 8080"}, {"http://proxy:3128/", "proxy 3128"},
      {"proxy:3128/x", "<refused>"},         {"u:p@proxy:1", "<refused>"}, {"proxy:", "<refused>"},
      {"https://proxy:1", "<refused>"},      {"", "<refused>"},
  };
  for (const auto& c : cases) {
    char host[kHttpHostSize];
    std::uint16_t port = 0;
    const bool ok = ParseHostPort(c.text, std::strlen(c.text), 8080, host, &port);
    EXPECT_EQ(ok ? std::string(host) + " " + std::to_string(port) : "<refused>", c.expected) << c.text;
  }
}

TEST(HttpUrl, RedirectsResolveAgainstTheAnsweringAddressAndNeverDowngrade) {
  HttpUrl https;
  ASSERT_TRUE(ParseHttpUrl("https://h.example/dir/v.txt?a", 29, &https));
  HttpUrl http;
  ASSERT_TRUE(ParseHttpUrl("http://h.example:8080/v", 23, &http));
  const struct {
    const HttpUrl* current;
    std::string location;
    HttpRedirect result;
    const char* expected;
  } cases[] = {
      {&https, "https://other:444/x", HttpRedirect::kFollow, "https://other:444/x"},
      {&https, "//cdn.example/y", HttpRedirect::kFollow, "https://cdn.example/y"},
      {&https, "/abs/z", HttpRedirect::kFollow, "https://h.example/abs/z"},
      {&https, "w.txt", HttpRedirect::kFollow, "https://h.example/dir/w.txt"},
      {&https, "../up/./w.txt?q", HttpRedirect::kFollow, "https://h.example/up/w.txt?q"},
      {&https, "../../../w/..", HttpRedirect::kFollow, "https://h.example/"},
      {&https, "?b", HttpRedirect::kFollow, "https://h.example/dir/v.txt?b"},
      {&http, "x", HttpRedirect::kFollow, "http://h.example:8080/x"},
      {&http, "https://h.example/v", HttpRedirect::kFollow, "https://h.example/v"},
      {&https, "HTTPS://H.example/dir/v.txt?a#x", HttpRedirect::kSameUrl, nullptr},
      {&https, "v.txt?a", HttpRedirect::kSameUrl, nullptr},
      {&https, "http://h.example/dir/v.txt", HttpRedirect::kDowngrade, nullptr},
      {&https, "//h.example:80/", HttpRedirect::kFollow, "https://h.example:80/"},
      {&https, "", HttpRedirect::kBadLocation, nullptr},
      {&https, "mailto:x@y", HttpRedirect::kBadLocation, nullptr},
      {&https, "/a\tb", HttpRedirect::kBadLocation, nullptr},
      {&https, std::string(1040, 'x'), HttpRedirect::kBadLocation, nullptr},
      {&https, "/" + std::string(1036, 'x'), HttpRedirect::kBadLocation, nullptr},  // absolute form too long
  };
  for (const auto& c : cases) {
    HttpUrl next;
    const HttpRedirect r = ResolveHttpRedirect(*c.current, c.location.data(), c.location.size(), &next);
    EXPECT_EQ(r, c.result) << c.location;
    if (r == HttpRedirect::kFollow && c.expected) {
      EXPECT_EQ(Text(next), c.expected) << c.location;
    }
  }
}

}  // namespace

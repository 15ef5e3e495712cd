#include "services/update/http_request.h"

CHttpRequest::CHttpRequest() noexcept = default;
CHttpRequest::~CHttpRequest() = default;

void CHttpRequest::SetCancelFlagPointer(const std::atomic<std::uint8_t>* cancel) noexcept { cancel_ = cancel; }

// The connection beneath the request is not part of the program yet: every
// GET fails as a connection that could not be made, never as an empty body.
int CHttpRequest::HttpGet(const char*, bool, const char*, const char*, char*, bool) noexcept {
  return kHttpConnectFailed;
}

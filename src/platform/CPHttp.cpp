// The program's side of a web exchange: the transport lives in the module
// vyx-http (http/CPHttpCurl.cpp), loaded on the first request.
#include "platform/CPHttp.h"

#include "platform/CPModule.h"
#include "platform/CPPlatformErrors.h"

CPHttpResponse CPHttpPerform(const CPHttpRequest& request) {
  using Perform = CPHttpResponse (*)(const CPHttpRequest&);
  std::string why;
  auto* perform = static_cast<Perform*>(CPModuleSymbol("vyx-http", "vyx_http_perform", &why));
  if (!perform) {
    CPHttpResponse response;
    response.error = kCPErrHttpUnavailable;
    response.errorDetail = why;
    return response;
  }
  return (*perform)(request);
}

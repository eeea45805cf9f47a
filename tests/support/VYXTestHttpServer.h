// A real HTTP server on 127.0.0.1, on a port the system picks, serving in a
// thread of the test process for the life of the object. Tests add their
// handlers to Server() before the first request; Url() gives the address of a
// path on it.
#ifndef VYX_TESTS_SUPPORT_VYXTESTHTTPSERVER_H_
#define VYX_TESTS_SUPPORT_VYXTESTHTTPSERVER_H_

#include <httplib.h>

#include <string>
#include <thread>

class VYXTestHttpServer {
 public:
  VYXTestHttpServer();
  ~VYXTestHttpServer();  // stops serving; handlers still running are waited for
  VYXTestHttpServer(const VYXTestHttpServer&) = delete;
  VYXTestHttpServer& operator=(const VYXTestHttpServer&) = delete;

  httplib::Server& Server() { return server_; }
  int Port() const { return port_; }
  // "127.0.0.1:PORT", as a host setting names the server.
  std::string HostAndPort() const;
  // "http://127.0.0.1:PORT" followed by `path`.
  std::string Url(const std::string& path) const;

 private:
  httplib::Server server_;
  int port_ = -1;
  std::thread thread_;
};

#endif  // VYX_TESTS_SUPPORT_VYXTESTHTTPSERVER_H_

#include "support/VYXTestHttpServer.h"

#include <chrono>
#include <stdexcept>

VYXTestHttpServer::VYXTestHttpServer() {
  // Bound and listening before the thread starts: requests made at once wait
  // in the backlog rather than being refused.
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("cannot bind a test HTTP server on 127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // stop() does nothing to a server that has not started its loop yet, and the
  // destructor would then wait for ever: let the loop start first.
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

VYXTestHttpServer::~VYXTestHttpServer() {
  server_.stop();
  if (thread_.joinable()) thread_.join();
}

std::string VYXTestHttpServer::HostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }

std::string VYXTestHttpServer::Url(const std::string& path) const { return "http://" + HostAndPort() + path; }

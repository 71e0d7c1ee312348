// A private X server (Xvfb) for tests that open real windows: it picks a free display
// number itself and DISPLAY points at it while the object lives.
#pragma once

#include <string>

class PrivateXServer {
 public:
  PrivateXServer();
  ~PrivateXServer();
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  bool Running() const { return pid_ > 0 && !display_.empty(); }
  const std::string& DisplayName() const { return display_; }

 private:
  int pid_ = -1;
  std::string display_;
};

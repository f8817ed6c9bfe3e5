#pragma once

#include "params/params.h"

// Sets Params for the life of the object and restores the old values after.
class ScopedParams {
 public:
  explicit ScopedParams(const ParamsRecord& p) : saved_(Params) { Params = p; }
  ~ScopedParams() { Params = saved_; }
  ScopedParams(const ScopedParams&) = delete;
  ScopedParams& operator=(const ScopedParams&) = delete;

 private:
  ParamsRecord saved_;
};

// Pictures for the colour reduction tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gif/reduction/picture_reader.h"

namespace orv::test {

// Rows of blue, green, red held in memory.
class VectorPictureReader : public TPictureReader {
 public:
  VectorPictureReader(int w, int h, std::vector<uint8_t> bgr) : w_(w), h_(h), bgr_(std::move(bgr)) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  const uint8_t* Row(int y) override { return bgr_.data() + size_t(y) * size_t(w_) * 3; }

 private:
  int w_, h_;
  std::vector<uint8_t> bgr_;
};

// Claims a size it has no rows for; reading a row fails the test.
class SizeOnlyReader : public TPictureReader {
 public:
  SizeOnlyReader(int w, int h) : w_(w), h_(h) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  const uint8_t* Row(int) override {
    ADD_FAILURE() << "a row was read";
    static const uint8_t none[3] = {};
    return none;
  }

 private:
  int w_, h_;
};

}  // namespace orv::test

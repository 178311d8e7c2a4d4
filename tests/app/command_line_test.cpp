#include "app/command_line.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(ParseRunMode, TheFirstArgumentSelectsTheMode) {
  struct Case {
    std::string arg;
    TRunMode mode;
  };
  const Case cases[] = {
      {"/s", TRunMode::kFullScreen},   {"/S", TRunMode::kFullScreen},     {"-s", TRunMode::kFullScreen},
      {" /s ", TRunMode::kFullScreen}, {"\t/s\n", TRunMode::kFullScreen}, {"/p", TRunMode::kPreview},
      {"-P", TRunMode::kPreview},      {"", TRunMode::kConfig},           {"   ", TRunMode::kConfig},
      {"/", TRunMode::kConfig},        {"-", TRunMode::kConfig},          {"/c", TRunMode::kConfig},
      {"/c:4711", TRunMode::kConfig},  {"-C", TRunMode::kConfig},         {"/config", TRunMode::kConfig},
      {"s", TRunMode::kNone},          {"/scr", TRunMode::kNone},         {"/s:1", TRunMode::kNone},
      {"/s:5", TRunMode::kNone},       {"/px", TRunMode::kNone},          {"/a", TRunMode::kNone},
      {"-A", TRunMode::kNone},         {"//s", TRunMode::kNone},          {"/ s", TRunMode::kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseRunMode(c.arg), c.mode) << '"' << c.arg << '"';
}

TEST(IsPasswordRequest, OnlyASlashOrDashFollowedByA) {
  EXPECT_TRUE(IsPasswordRequest("/a"));
  EXPECT_TRUE(IsPasswordRequest("-A"));
  EXPECT_TRUE(IsPasswordRequest(" /a123 "));
  EXPECT_TRUE(IsPasswordRequest("/about"));
  EXPECT_FALSE(IsPasswordRequest("a"));
  EXPECT_FALSE(IsPasswordRequest("/s"));
  EXPECT_FALSE(IsPasswordRequest(""));
  EXPECT_FALSE(IsPasswordRequest("/"));
}

TEST(PreviewHandle, TheSecondArgumentAsASigned32BitNumber) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(PreviewHandle(Args{"/p", "655360"}), 655360);
  EXPECT_EQ(PreviewHandle(Args{"/p", " 42 "}), 42);
  EXPECT_EQ(PreviewHandle(Args{"/p", "0"}), 0);
  EXPECT_EQ(PreviewHandle(Args{"/p", "abc"}), 0);
  EXPECT_EQ(PreviewHandle(Args{"/p", "99999999999"}), 0);
  EXPECT_EQ(PreviewHandle(Args{"/p"}), 0);
  EXPECT_EQ(PreviewHandle(Args{}), 0);
}

TEST(TrimControl, RemovesCodesUpToSpace) {
  EXPECT_EQ(TrimControl(std::string("\x01 /s\x1f ", 6)), "/s");
  EXPECT_EQ(TrimControl("   "), "");
  EXPECT_EQ(TrimControl("/写真"), "/写真");
}

}  // namespace
}  // namespace orv

#include <gtest/gtest.h>

#include <string>

#include "update/UpdateFailure.h"

using namespace kelta;
using namespace std::chrono_literals;

namespace {

struct LineCase {
  const char* name;
  TUpdateFailure failure;
  std::string line;
};

class FailureLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(FailureLineTest, SaysWhyTheServerCouldNotBeReached) {
  EXPECT_EQ(UpdateFailureLine(GetParam().failure), GetParam().line);
}

using K = TUpdateFailureKind;
const std::string Prefix = "Could not reach the update server: ";

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureLineTest,
    ::testing::Values(
        LineCase{"None", {K::None}, ""},
        LineCase{"Aborted", {K::Aborted}, ""},
        LineCase{"Refused", {K::Refused}, Prefix + "the connection was refused"},
        LineCase{"HostNotFound", {K::HostNotFound},
                 Prefix + "the server name could not be looked up (is the computer online?)"},
        LineCase{"NetworkError", {K::NetworkError, 0, {}, "Network unreachable"},
                 Prefix + "network error (Network unreachable)"},
        LineCase{"NotFound", {K::HttpStatus, 404}, Prefix + "HTTP 404 Not Found"},
        LineCase{"ServerError", {K::HttpStatus, 500}, Prefix + "HTTP 500 Internal Server Error"},
        LineCase{"UnknownStatus", {K::HttpStatus, 599}, Prefix + "HTTP 599"},
        LineCase{"Timeout", {K::Timeout, 0, 15s}, Prefix + "the server did not answer within 15 seconds"},
        LineCase{"ShortTimeout", {K::Timeout, 0, 250ms},
                 Prefix + "the server did not answer within 250 milliseconds"},
        LineCase{"TooLarge", {K::TooLarge},
                 Prefix + "the answer is larger than 64 KiB and holds no update information"},
        LineCase{"WebPage", {K::WebPage}, Prefix + "the answer is a web page, not update information"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace

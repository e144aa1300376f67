// Test main: runs GoogleTest and ends with the plain summary line
// "N passed, N failed" that CI counts.
#include <gtest/gtest.h>

#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {
class SummaryPrinter : public ::testing::EmptyTestEventListener {
  void OnTestProgramEnd(const ::testing::UnitTest& u) override {
    std::printf("%s: %d passed, %d failed", u.total_test_count() ? "gtest" : "gtest",
                u.successful_test_count(), u.failed_test_count());
    if (u.skipped_test_count()) std::printf(", %d skipped", u.skipped_test_count());
    std::printf("\n");
    std::fflush(stdout);
  }
};
}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // a crashing test must not wait for a dialog
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new SummaryPrinter);
  return RUN_ALL_TESTS();
}

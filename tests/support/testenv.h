// Paths and helpers the test programs share.
#pragma once
#include <string>
#include <vector>

namespace orvtest {

// The source tree and the build tree, as paths this process can open
// (under Wine a Unix path is turned into its Z: form).
std::string SourceDir();
std::string BinaryDir();
std::string SourcePath(const std::string& rel);  // SourceDir() + "/" + rel

// A fresh, empty directory below the build tree, removed by the caller's
// test fixture if it wants; named after the running test.
std::string MakeTempDir(const std::string& tag);

// dir and name joined by the platform's separator.
std::string JoinPath(const std::string& dir, const std::string& name);

// Whole-file helpers for fixtures (binary).
bool ReadFile(const std::string& path, std::vector<unsigned char>& out);
bool WriteFile(const std::string& path, const void* data, size_t size);

}  // namespace orvtest

// Fixture files of the image tests (made by make_fixtures.py with
// ImageMagick into the build tree before the tests run).
#pragma once

#include <string>
#include <vector>

namespace imgtest {

std::string FixtureDir();
std::string FixturePath(const std::string& name);  // name may hold "/"
std::vector<std::string> FixtureList();            // file names of list.txt
std::vector<unsigned char> ReadFixture(const std::string& name);
// Names of the files in a directory (no "." and "..").
std::vector<std::string> ListDir(const std::string& dir);
bool FileExists(const std::string& path);

}  // namespace imgtest

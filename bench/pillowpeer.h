// One long-lived python3 with Pillow as the reference of a benchmark: it is
// started (untimed) once, then each request runs n operations there and
// answers with one line. Native builds only.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace orvbench {

inline bool ReadWhole(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

inline void WriteWhole(const std::string& path, const void* data, size_t size) {
  std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

class PillowPeer {
 public:
  ~PillowPeer() {
    if (m_in) std::fclose(m_in);
    if (m_out) std::fclose(m_out);
    if (m_pid > 0) waitpid(m_pid, nullptr, 0);
    if (!m_dir.empty()) std::system(("rm -rf '" + m_dir + "'").c_str());
  }
  bool Start() {
    char dir[] = "/tmp/orvbench-XXXXXX";
    if (!mkdtemp(dir)) return false;
    m_dir = dir;
    WriteWhole(m_dir + "/peer.py", kScript, sizeof(kScript) - 1);
    int toPeer[2], fromPeer[2];
    if (pipe(toPeer) || pipe(fromPeer)) return false;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(toPeer[0], 0);
      dup2(fromPeer[1], 1);
      close(toPeer[1]);
      close(fromPeer[0]);
      execl("/usr/bin/python3", "python3", "-B", (m_dir + "/peer.py").c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(toPeer[0]);
    close(fromPeer[1]);
    m_out = fdopen(toPeer[1], "w");
    m_in = fdopen(fromPeer[0], "r");
    return m_pid > 0 && Run("ping", 1) >= 0;
  }
  const std::string& Dir() const { return m_dir; }
  // Sends "request n"; returns the number the peer answers, -1 on failure.
  double Run(const std::string& request, long n) {
    if (!m_out || !m_in) return -1;
    std::fprintf(m_out, "%s %ld\n", request.c_str(), n);
    std::fflush(m_out);
    char line[256];
    if (!std::fgets(line, sizeof(line), m_in)) return -1;
    return std::atof(line);
  }

 private:
  static constexpr char kScript[] = R"(import io, subprocess, sys
from PIL import Image
Image.MAX_IMAGE_PIXELS = None
picture = None
for line in sys.stdin:
    words = line.split()
    what, n = words[0], int(words[-1])
    result = 0
    if what == "decode":
        data = open(words[1], "rb").read()
        for _ in range(n):
            im = Image.open(io.BytesIO(data))
            im.load()
            result += im.size[0]
    elif what == "make":
        d = words[1]
        im = Image.open(d + "/map.png").convert("RGB")
        im.save(d + "/map_deflate.tif", compression="tiff_adobe_deflate")
        im.save(d + "/map.bmp")
        subprocess.run(["convert", d + "/map.png", "-type", "Palette", "-compress", "RLE",
                        "BMP3:" + d + "/map_rle8.bmp"], check=True)
        im.save(d + "/map.ppm")
    elif what == "load":
        picture = Image.open(words[1]).convert("RGB")
    elif what == "encode":
        for _ in range(n):
            out = io.BytesIO()
            if words[1] == "TIFF":
                picture.save(out, "TIFF", compression="tiff_lzw")
            else:
                picture.save(out, "GIF")
            result += out.tell()
    print(result, flush=True)
)";
  pid_t m_pid = -1;
  FILE* m_in = nullptr;
  FILE* m_out = nullptr;
  std::string m_dir;
};

}  // namespace orvbench

// The format tables: one line per format.
#include "image/imgformats.h"

#include <cstring>
#include <string>

#include "image/formats/bmpcodec.h"
#include "image/formats/epscodec.h"
#include "image/formats/gifcodec.h"
#include "image/formats/icocodec.h"
#include "image/formats/jpegcodec.h"
#include "image/formats/pngcodec.h"
#include "image/formats/pnmcodec.h"
#include "image/formats/tiffcodec.h"
#include "image/formats/xpmcodec.h"
#include "image/formats/xwdcodec.h"

namespace {

class CPngEntryWriter : public CPictureWriter {
 public:
  void Encode(const CPicture& picture, ImgSink& out) override {
    CPngWriter w;
    w.m_comment = m_comment;
    w.Encode(picture, 0, out);
  }
};

const TPictureReader<ImgIsPng, ImgDecodePng> kPng;
const TPictureReader<ImgIsJpeg, ImgDecodeJpeg> kJpeg;
const TPictureReader<ImgIsGif, ImgDecodeGif> kGif;
const TPictureReader<ImgIsTiff, ImgDecodeTiff> kTiff;
const TPictureReader<ImgIsDosEps, ImgDecodeEps> kDosEps;
const TPictureReader<ImgIsEps, ImgDecodeEps> kEps;
const TPictureReader<ImgIsBmp, ImgDecodeBmp> kBmp;
const TPictureReader<ImgIsPnm, ImgDecodePnm> kPnm;
const TPictureReader<ImgIsXpm, ImgDecodeXpm> kXpm;
const TPictureReader<ImgIsIco, ImgDecodeIco> kIco;
// last: its signature is only a header size and a version
const TPictureReader<ImgIsXwd, ImgDecodeXwd> kXwd;

// Detection order: the strongest signatures first.
const CPictureReader* const kReaders[] = {&kPng, &kJpeg, &kGif, &kTiff, &kDosEps, &kEps,
                                          &kBmp, &kPnm, &kXpm, &kIco, &kXwd};

typedef std::unique_ptr<CPictureWriter> (*MakeWriter)();
template <class W>
std::unique_ptr<CPictureWriter> Make() {
  return std::unique_ptr<CPictureWriter>(new W());
}

class CCurEntryWriter : public TPictureWriter<CIcoWriter> {
 public:
  CCurEntryWriter() { m_codec.m_cursor = true; }
};

// 'b' P4, 'g' P5, 'p' P6, 0 the kind that fits the picture
template <char Kind>
class TPnmEntryWriter : public TPictureWriter<CPnmWriter> {
 public:
  TPnmEntryWriter() { m_codec.m_kind = Kind; }
};

struct Extension {
  const char* ext;
  MakeWriter make;
};

const Extension kExtensions[] = {
    {"png", Make<CPngEntryWriter>},
    {"jpg", Make<TPictureWriter<CJpegWriter>>},
    {"jpeg", Make<TPictureWriter<CJpegWriter>>},
    {"jpe", Make<TPictureWriter<CJpegWriter>>},
    {"gif", Make<TPictureWriter<CGifWriter>>},
    {"tif", Make<TPictureWriter<CTiffWriter>>},
    {"tiff", Make<TPictureWriter<CTiffWriter>>},
    {"eps", Make<TPictureWriter<CEpsWriter>>},
    {"epsf", Make<TPictureWriter<CEpsWriter>>},
    {"bmp", Make<TPictureWriter<CBmpWriter>>},
    {"dib", Make<TPictureWriter<CBmpWriter>>},
    {"ico", Make<TPictureWriter<CIcoWriter>>},
    {"cur", Make<CCurEntryWriter>},
    {"pbm", Make<TPnmEntryWriter<'b'>>},
    {"pgm", Make<TPnmEntryWriter<'g'>>},
    {"ppm", Make<TPnmEntryWriter<'p'>>},
    {"pnm", Make<TPnmEntryWriter<0>>},
    {"xpm", Make<TPictureWriter<CXpmWriter>>},
    {"xwd", Make<TPictureWriter<CXwdWriter>>},
};

// The extension behind the last dot of the last path component, lower case.
std::string ExtensionOf(const char* name) {
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '/' || *p == '\\' || *p == ':') base = p + 1;
  const char* dot = std::strrchr(base, '.');
  std::string ext;
  if (dot)
    for (const char* p = dot + 1; *p; ++p) ext += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p + 32 : *p);
  return ext;
}

}  // namespace

const CPictureReader* ImgFindReader(const uint8_t* data, size_t size) {
  if (!data) return nullptr;
  for (const CPictureReader* r : kReaders)
    if (r->Detect(data, size)) return r;
  return nullptr;
}

std::unique_ptr<CPictureWriter> ImgWriterForFile(const char* fileName) {
  if (!fileName) return nullptr;
  std::string ext = ExtensionOf(fileName);
  for (const Extension& e : kExtensions)
    if (ext == e.ext) return e.make();
  return nullptr;
}

#include "controls/picture.h"

namespace {

bool StartsWith(const Bytes& bytes, std::initializer_list<std::uint8_t> signature) {
    if (bytes.size() < signature.size()) return false;
    return std::equal(signature.begin(), signature.end(), bytes.begin());
}

Picture Single(PixelImage image) {
    Picture picture;
    if (image.empty()) return picture;
    picture.width = image.width, picture.height = image.height;
    picture.frames.push_back(std::move(image));
    picture.delays.push_back(0);
    return picture;
}

}  // namespace

Picture DecodePicture(const Bytes& bytes) {
    if (StartsWith(bytes, {0x89, 'P', 'N', 'G'})) return Single(DecodePng(bytes));
    if (StartsWith(bytes, {0xFF, 0xD8})) return Single(DecodeJpeg(bytes));
    if (StartsWith(bytes, {'G', 'I', 'F', '8'})) return DecodeGif(bytes);
    if (StartsWith(bytes, {'B', 'M'})) return Single(DecodeBitmapFile(bytes));
    if (StartsWith(bytes, {0, 0, 1, 0})) return Single(DecodeIconFile(bytes));
    return {};
}

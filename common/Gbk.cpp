#include "common/Gbk.h"
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace gbk {

QByteArray encode(const QString& text)
{
    QByteArray in = text.toUtf8();
    if (in.isEmpty()) return {};
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    QByteArray out(in.size() * 2 + 8, '\0');
    char* src = in.data();
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Skip one UTF-8 character and put a '?' in its place.
            int len = 1;
            const unsigned char lead = static_cast<unsigned char>(*src);
            if (lead >= 0xF0) len = 4;
            else if (lead >= 0xE0) len = 3;
            else if (lead >= 0xC0) len = 2;
            len = std::min<size_t>(len, srcLeft);
            src += len;
            srcLeft -= len;
            if (dstLeft == 0) break;
            *dst++ = '?';
            --dstLeft;
        } else {
            break;
        }
    }
    iconv_close(cd);
    out.truncate(out.size() - static_cast<int>(dstLeft));
    return out;
}

int byteLength(const QString& text) { return encode(text).size(); }

int compare(const QString& a, const QString& b)
{
    const QByteArray x = encode(a), y = encode(b);
    const int n = std::min(x.size(), y.size());
    const int c = n > 0 ? std::memcmp(x.constData(), y.constData(), n) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

} // namespace gbk

#include "metafile/Charset.h"

namespace tavlex::mf {

const char* CodePageOfCharSet(std::uint8_t charSet) {
    switch (charSet) {
        case 0:
            return "windows-1252";
        case 77:
            return "macintosh";
        case 128:
            return "windows-932";
        case 129:
        case 130:
            return "windows-949";
        case 134:
            return "GBK";
        case 136:
            return "Big5";
        case 161:
            return "windows-1253";
        case 162:
            return "windows-1254";
        case 163:
            return "windows-1258";
        case 177:
            return "windows-1255";
        case 178:
            return "windows-1256";
        case 186:
            return "windows-1257";
        case 204:
            return "windows-1251";
        case 222:
            return "windows-874";
        case 238:
            return "windows-1250";
        case 255:
            return "IBM437";
        default:
            return nullptr;
    }
}

}  // namespace tavlex::mf

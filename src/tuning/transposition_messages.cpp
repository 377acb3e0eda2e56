#include "tuning/transposition_messages.h"

namespace zembera {
namespace {

constexpr const char* kLineEnd = "\r\n";

std::string n(int value) {
    return std::to_string(value);
}

} // namespace

std::string originNotFoundMessage(int tel, int mandal) {
    return n(tel) + "  nolu perdenin derecesi belirlenemedi. " + kLineEnd +
           " mandal= " + n(mandal) + kLineEnd + "  devam edecek. ";
}

std::string targetOutsideTableMessage(const OutOfTableCase& c) {
    std::string text = "göçürme de sorun var";
    text += kLineEnd + std::string("orijin tel=") + n(c.originString);
    text += kLineEnd + std::string("orijin derece=") + n(c.originDegree);
    text += kLineEnd + std::string("ahenk farkı=") + n(c.levelOffset);
    text += kLineEnd + std::string("derece farkı=") + n(c.degreeShift);
    text += kLineEnd + std::string("toplam derece farkı=") + n(c.totalShift);
    text += kLineEnd;
    text += kLineEnd + std::string("hedef tel=") + n(c.targetString);
    text += kLineEnd + std::string("hedef derece=") + n(c.targetDegree);
    return text;
}

std::string noPlaceOnTargetMessage(const NoPlaceCase& c) {
    return std::string("göçürme yapılamıyor") + kLineEnd + kLineEnd + n(c.originString) +
           " nolu telin " + n(c.originMandal) +
           " nolu mandal sesi, istenen göçürüm miktarına göre " + n(c.targetString) +
           " nolu telden alıması gerekirken " + n(c.targetTel1) + " nolu tele veya " +
           n(c.targetTel2) + " nolu tele taşmaktadır. Göçürüm iptal edilecek.";
}

} // namespace zembera

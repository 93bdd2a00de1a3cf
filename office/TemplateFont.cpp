#include "office/TemplateFont.h"

namespace {

// Measured this large, the advances are the outlines' own (hinting would round them to
// pixels of a small size).
constexpr int MeasuredPixels = 1000;

QFont TemplateFace(bool bold) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(MeasuredPixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

}  // namespace

TTemplateFont::TTemplateFont() : FRegular(TemplateFace(false)), FBold(TemplateFace(true)) {}

double TTemplateFont::WidthEm(const QString& text, bool bold) const {
  return (bold ? FBold : FRegular).horizontalAdvance(text) / MeasuredPixels;
}

double TTemplateFont::LineHeightEm() const {
  return (FRegular.ascent() + FRegular.descent()) / MeasuredPixels;
}

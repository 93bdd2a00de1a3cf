#pragma once

#include <QFontMetricsF>

#include "office/FieldFit.h"

// The face the voucher template sets every field in, "Liberation Sans" (fonts-liberation2),
// regular and bold, measured as the office measures it for print: unhinted outlines, kerned.
// Qt finds the face through fontconfig as the office does, so where it is missing both get the
// same substitute. Needs a QGuiApplication; use it on the thread that made it.
class TTemplateFont : public TTextMeasure {
public:
  TTemplateFont();
  double WidthEm(const QString& text, bool bold) const override;
  double LineHeightEm() const override;

private:
  QFontMetricsF FRegular;
  QFontMetricsF FBold;
};

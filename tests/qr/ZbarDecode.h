#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// Decodes the QR code in a picture file with the independent decoder zbarimg; the bytes exactly
// as the symbol holds them, or nothing when zbarimg finds no code or cannot run.
std::optional<QByteArray> DecodeQRFile(const QString& path);

// Saves image as a BMP in a fresh temporary folder and decodes it like DecodeQRFile.
std::optional<QByteArray> DecodeQRImage(const QImage& image);

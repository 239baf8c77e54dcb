#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The notification-icon record the main window fills and hands to the tray service: the
// shell's NOTIFYICONDATA in its first, 88-byte ANSI form. Inside the program the tip is a
// fixed field of 64 UTF-16 characters; it leaves the program as 64 bytes of GBK.
struct TrayIconData {
    static constexpr int tipLength = 64;
    static constexpr int ansiSize = 24 + tipLength;

    // uFlags bits.
    static constexpr std::uint32_t messageValid = 1;
    static constexpr std::uint32_t iconValid = 2;
    static constexpr std::uint32_t tipValid = 4;

    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    // Always tipLength characters once set.
    QString szTip;

    // Stores text in the tip field left-aligned: cut at the field's width, padded with spaces.
    void setTip(const QString &text);

    // The record as it is passed on: six little-endian 32-bit fields, then the tip converted
    // to GBK and cut (or padded with NUL bytes) to 64 bytes.
    QByteArray toAnsi() const;

    // What the notification area shows as the tip: the GBK tip up to its first NUL byte.
    QString shownTip() const;
};

#include "runtime/trayicondata.h"

#include "values/gbk.h"

#include <QtEndian>

void TrayIconData::setTip(const QString &text)
{
    szTip = text.left(tipLength).leftJustified(tipLength, QLatin1Char(' '));
}

QByteArray TrayIconData::toAnsi() const
{
    QByteArray bytes(ansiSize, '\0');
    char *out = bytes.data();
    for (std::uint32_t field : {cbSize, hWnd, uID, uFlags, uCallbackMessage, hIcon}) {
        qToLittleEndian(field, out);
        out += 4;
    }
    // A double-byte character that does not fit is cut in half, as the fixed field cuts it;
    // the shown tip stops at the NUL long before that.
    const QByteArray tip = gbk::encode(szTip).left(tipLength);
    std::copy(tip.begin(), tip.end(), out);
    return bytes;
}

QString TrayIconData::shownTip() const
{
    QByteArray tip = toAnsi().mid(ansiSize - tipLength);
    const qsizetype nul = tip.indexOf('\0');
    if (nul >= 0)
        tip.truncate(nul);
    return gbk::decode(tip);
}

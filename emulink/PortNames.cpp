#include "PortNames.h"

#include "common/Numbers.h"
#include "common/clsIniFile.h"

#include <QDir>
#include <QRegularExpression>
#ifndef Q_OS_WIN
#include <QSerialPortInfo>
#endif

#include <algorithm>
#include <cmath>

namespace emulink {

bool isPortNumberText(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}

QString resolvePortName(const QString& boxText, const QString& programFolder)
{
    if (!isPortNumberText(boxText))
        return boxText.trimmed();

    const double value = common::roundHalfEven(common::readNumber(boxText.trimmed().toStdString()));
    if (!(value >= 1 && value <= 9999))
        return {};
    const int n = static_cast<int>(value);

    common::clsIniFile ini;
    ini.File = QDir(programFolder).filePath(QStringLiteral("config/ports.ini")).toStdString();
    const std::string configured = ini.GetSetting("ports", std::to_string(n));
    if (configured != common::clsIniFile::kUnknownValue && configured != common::clsIniFile::kEmptyValue)
        return QString::fromStdString(configured);

#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(),
              [](const QSerialPortInfo& a, const QSerialPortInfo& b) { return a.portName() < b.portName(); });
    if (n > ports.size())
        return {};
    return ports[n - 1].systemLocation();
#endif
}

QString portBoxTextAfterEdit(const QString& text)
{
    if (isPortNumberText(text))
        return text;
    static const QRegularExpression portName(QStringLiteral(R"(^\s*(COM\d+|/dev/\S+|\\\\\.\\COM\d+)\s*$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (portName.match(text).hasMatch())
        return text;
    return QStringLiteral("1");
}

} // namespace emulink

#include "list/downloadlistfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include "core/wholefilewriter.h"
#include "list/listlog.h"

namespace {

const QString kFormat = QStringLiteral("Clipvane download list");
constexpr int kVersion = 1;
// Ten thousand items make about two megabytes; a file far past that is not
// one of ours, and is not read into memory.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");
const QString kItemsKey = QStringLiteral("items");
const QString kAddressKey = QStringLiteral("address");
const QString kFileNameKey = QStringLiteral("fileName");
const QString kStatusKey = QStringLiteral("status");
const QString kFileSizeKey = QStringLiteral("fileSize");
const QString kReasonKey = QStringLiteral("reason");
// Only where the row shows something else than the page's address; lists
// written before it have the address alone.
const QString kPageAddressKey = QStringLiteral("pageAddress");

// The list is written by hand rather than through QJsonObject, which costs
// several times as much for a long list, and the save runs every few seconds
// during a run. Reading goes through QJsonDocument.
void AppendJsonString(QByteArray &out, const QString &sText)
{
    out += '"';
    const QByteArray utf8 = sText.toUtf8();
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00";
            out += "0123456789abcdef"[(c >> 4) & 0xf];
            out += "0123456789abcdef"[c & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendMember(QByteArray &out, const QString &sKey, const QString &sValue)
{
    AppendJsonString(out, sKey);
    out += ':';
    AppendJsonString(out, sValue);
}


// Statuses that stand for themselves after a restart; every other text of an
// open item (a percentage, "Retrying …", a page being read) described work
// that ended with the program.
bool KeepsItsStatus(const DownloadItem &item)
{
    return item.State() != ItemState::Open || item.Status == ItemStatus::kWaiting
        || item.Status == ItemStatus::kLinkNotSupported;
}

bool FromJson(const QJsonValue &value, DownloadItem &item)
{
    const QJsonObject object = value.toObject();
    const QJsonValue address = object.value(kAddressKey);
    if (!value.isObject() || !address.isString())
        return false;
    item.Video_URL = address.toString();
    item.FileName = object.value(kFileNameKey).toString();
    item.Status = object.value(kStatusKey).toString();
    item.FileSize = object.value(kFileSizeKey).toString(QStringLiteral("????"));
    item.sReason = object.value(kReasonKey).toString();
    item.sPageUrl = object.value(kPageAddressKey).toString();
    if (!KeepsItsStatus(item))
        item.Status = ItemStatus::kWaiting;
    return true;
}

// The items of a list file's text; why it is not one, or empty.
QString ParseList(const QByteArray &text, QList<DownloadItem> &items)
{
    QJsonParseError parseError{};
    const QJsonObject root = QJsonDocument::fromJson(text, &parseError).object();
    if (parseError.error != QJsonParseError::NoError)
        return parseError.errorString();
    if (root.value(kFormatKey).toString() != kFormat || !root.value(kItemsKey).isArray())
        return QStringLiteral("it is not a download list");
    if (root.value(kVersionKey).toInt() > kVersion)
        return QStringLiteral("it was written by a newer version");
    const QJsonArray array = root.value(kItemsKey).toArray();
    items.reserve(array.size());
    for (const QJsonValue &value : array) {
        DownloadItem item;
        if (!FromJson(value, item))
            return QStringLiteral("an item has no address");
        items.append(std::move(item));
    }
    return QString();
}

} // namespace

DownloadListFile::DownloadListFile(QString sPath)
    : m_sPath(std::move(sPath))
{
}

QString DownloadListFile::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Clipvane/downloadlist.json");
}

QByteArray DownloadListFile::Serialise(const QList<DownloadItem> &items)
{
    QByteArray out;
    out.reserve(64 + items.size() * 160);
    out += '{';
    AppendMember(out, kFormatKey, kFormat);
    out += ",\"" + kVersionKey.toLatin1() + "\":" + QByteArray::number(kVersion) + ",\""
        + kItemsKey.toLatin1() + "\":[";
    for (const DownloadItem &item : items) {
        if (&item != &items.constFirst())
            out += ',';
        out += '{';
        AppendMember(out, kAddressKey, item.Video_URL);
        out += ',';
        AppendMember(out, kFileNameKey, item.FileName);
        out += ',';
        AppendMember(out, kStatusKey, item.Status);
        out += ',';
        AppendMember(out, kFileSizeKey, item.FileSize);
        if (!item.sReason.isEmpty()) {
            out += ',';
            AppendMember(out, kReasonKey, item.sReason);
        }
        if (!item.sPageUrl.isEmpty()) {
            out += ',';
            AppendMember(out, kPageAddressKey, item.sPageUrl);
        }
        out += "}\n";
    }
    out += "]}\n";
    return out;
}

bool DownloadListFile::Write(const QByteArray &text, QString *pError) const
{
    QString sError;
    if (!QDir().mkpath(QFileInfo(m_sPath).absolutePath()))
        sError = QStringLiteral("cannot make the folder of %1").arg(m_sPath);
    else if (WholeFileWriter::Write(m_sPath, text, &sError))
        return true;
    qCWarning(lcList) << "cannot keep the download list in" << m_sPath << ":" << sError;
    if (pError)
        *pError = sError;
    return false;
}

DownloadListFile::Loaded DownloadListFile::Load() const
{
    Loaded loaded;
    QFile file(m_sPath);
    if (!file.exists())
        return loaded;
    if (file.size() > kMaxFileSize)
        loaded.sProblem = QStringLiteral("it is too large");
    else if (!file.open(QIODevice::ReadOnly))
        loaded.sProblem = file.errorString();
    else
        loaded.sProblem = ParseList(file.readAll(), loaded.items);
    file.close();
    if (loaded.sProblem.isEmpty())
        return loaded;

    loaded.items.clear();
    loaded.sSetAsideAs = SetAside();
    qCWarning(lcList) << "cannot read the download list" << m_sPath << ":" << loaded.sProblem
                      << "; set aside as" << loaded.sSetAsideAs;
    return loaded;
}

// Moves the file to NAME.damaged-DATE, or NAME.damaged-DATE-N when that is
// taken, never over another file. Empty when it could not be moved.
QString DownloadListFile::SetAside() const
{
    const QString sStem = m_sPath + QStringLiteral(".damaged-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    for (int i = 1; i < 100; ++i) {
        const QString sTarget = i == 1 ? sStem : sStem + QLatin1Char('-') + QString::number(i);
        if (QFileInfo::exists(sTarget))
            continue;
        return QFile::rename(m_sPath, sTarget) ? sTarget : QString();
    }
    return QString();
}

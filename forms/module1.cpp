#include "forms/module1.h"

#include "runtime/services.h"
#include "scores/inilookup.h"
#include "values/gbk.h"

Module1::Module1(Files &files, scorefile::Folders folders)
    : files_(files), folders_(std::move(folders))
{
}

scorefile::Folders Module1::systemFolders(Files &files, const QByteArray &installedInto)
{
    const ProgramFolder program = files.programFolder();
    return scorefile::foldersFor(
        program.name, program.path, installedInto,
        scorefile::userDataFolder(qEnvironmentVariable("XDG_DATA_HOME"), files.homeFolder()));
}

const QString &Module1::scoreFilePath()
{
    if (path_.isEmpty())
        path_ = scorefile::resolvePath(
            folders_, [this](const QString &folder) { return files_.isWritableFolder(folder); });
    return path_;
}

QString Module1::scoreFileShownPath() { return scorefile::shownPath(folders_, scoreFilePath()); }

std::optional<QString> Module1::saveScore(QStringView caption)
{
    const std::optional<QByteArray> bytes = scorefile::contents(caption);
    if (!bytes)
        return scorefile::noConverterReason();
    if (const int error = files_.replaceFile(scoreFilePath(), *bytes))
        return scorefile::failureReason(error);
    return std::nullopt;
}

QString Module1::ReadIniValue(const QString &section, const QString &key, const QString &file)
{
    const QByteArray bytes = files_.readFile(file, scores::maxFileBytes);
    return gbk::decode(scores::iniLookup(bytes, gbk::encode(section), gbk::encode(key)));
}

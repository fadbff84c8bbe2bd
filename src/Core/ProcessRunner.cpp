#include "Core/ProcessRunner.h"

#include "Platform/Process.h"
#include "Platform/SystemRoot.h"

using namespace Qt::StringLiterals;

namespace OptimizationService {

ProcessResult run(const QString& executable, const QStringList& arguments, bool mergeStandardError)
{
    const Platform::ProcessOutput result =
        Platform::runProcess(Platform::systemPath(executable), arguments, mergeStandardError);
    if (!result.started)
        return {-1, QString()};
    return {result.status, QString::fromUtf8(result.output)};
}

QString appleScriptEscaped(const QString& command)
{
    QString escaped = command;
    escaped.replace(u"\\"_s, u"\\\\"_s);
    escaped.replace(u"\""_s, u"\\\""_s);
    return escaped;
}

std::optional<QString> runAsAdministrator(const QString& command)
{
    const QString script =
        u"do shell script \""_s + appleScriptEscaped(command) + u"\" with administrator privileges"_s;
    const ProcessResult result = run(u"/usr/bin/osascript"_s, {u"-e"_s, script}, true);
    if (result.status == 0)
        return std::nullopt;
    if (result.output.contains(u"User canceled"_s) || result.output.contains(u"(-128)"_s))
        return u"Annulé."_s;
    const QString trimmed = result.output.trimmed();
    if (!trimmed.isEmpty())
        return trimmed;
    return u"Échec (code %1)."_s.arg(result.status);
}

QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(u"'"_s, u"'\\''"_s);
    return u'\'' + quoted + u'\'';
}

QString enterFolderAsWritten(const QString& folder)
{
    return u"cd -P "_s + shellQuoted(folder) + u" && [ \"$(pwd -P; echo .)\" = "_s + shellQuoted(folder + u"\n."_s) +
           u" ]"_s;
}

} // namespace OptimizationService

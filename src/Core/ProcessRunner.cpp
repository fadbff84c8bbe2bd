#include "Core/ProcessRunner.h"

#include "Platform/Process.h"
#include "Platform/SystemRoot.h"

#include <utility>

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
        return administratorPromptDismissed;
    const QString trimmed = result.output.trimmed();
    if (!trimmed.isEmpty())
        return trimmed;
    return failureText(result);
}

QString failureText(const ProcessResult& result)
{
    if (result.status < 0)
        return u"L'outil n'a pas pu démarrer."_s;
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

qsizetype AdministratorPieces::argumentSize(const QString& scriptText)
{
    return appleScriptEscaped(shellQuoted(scriptText)).toUtf8().size();
}

AdministratorPieces::AdministratorPieces(const QString& head, const QString& separator, const QString& tail)
    : m_head(head), m_separator(separator), m_tail(tail), m_frame(argumentSize(head + tail)), m_size(m_frame)
{
}

qsizetype AdministratorPieces::sizeOf(const QString& part) const
{
    // Quoting and escaping work character by character, so a part's share does not depend on its neighbours.
    return argumentSize(m_separator + part);
}

bool AdministratorPieces::fits(qsizetype size) const
{
    return m_size + size <= budget;
}

qsizetype AdministratorPieces::append(const QString& part, qsizetype size)
{
    if (!m_body.isEmpty())
        m_body += m_separator;
    m_body += part;
    m_size += size;
    return m_pieces.size();
}

qsizetype AdministratorPieces::add(const QString& part)
{
    const qsizetype size = sizeOf(part);
    if (!fits(size))
        close();
    return append(part, size);
}

void AdministratorPieces::close()
{
    if (!m_body.isEmpty())
        m_pieces.append(m_head + m_body + m_tail);
    m_body.clear();
    m_size = m_frame;
}

QStringList AdministratorPieces::take()
{
    close();
    return std::exchange(m_pieces, {});
}

} // namespace OptimizationService

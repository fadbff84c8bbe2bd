#include "TempTree.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Splits one line into tokens: bare words, or quoted names with escapes. Names are raw bytes.
std::vector<std::string> tokenize(const std::string& line, bool* ok)
{
    std::vector<std::string> tokens;
    std::size_t i = 0;
    *ok = true;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string token;
        if (line[i] == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') {
                char c = line[i++];
                if (c == '\\' && i < line.size()) {
                    const char e = line[i++];
                    switch (e) {
                    case 'n':
                        c = '\n';
                        break;
                    case 't':
                        c = '\t';
                        break;
                    case 'x':
                        if (i + 2 > line.size()) {
                            *ok = false;
                            return tokens;
                        }
                        c = char(std::stoi(line.substr(i, 2), nullptr, 16));
                        i += 2;
                        break;
                    default:
                        c = e;
                        break;
                    }
                }
                token.push_back(c);
            }
            if (i >= line.size()) {
                *ok = false;
                return tokens;
            }
            ++i; // closing quote
        } else {
            while (i < line.size() && line[i] != ' ')
                token.push_back(line[i++]);
        }
        tokens.push_back(token);
    }
    return tokens;
}

void makeParents(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0755);
}

} // namespace

TempTree::TempTree(const QString& description)
{
    EXPECT_TRUE(m_dir.isValid());
    if (!description.isEmpty())
        add(description);
}

QByteArray TempTree::rawPath(const QByteArray& relative) const
{
    return QFile::encodeName(m_dir.path()) + '/' + relative;
}

void TempTree::add(const QString& description)
{
    const std::string base = QFile::encodeName(m_dir.path()).toStdString() + "/";
    for (const QString& rawLine : description.split(u'\n')) {
        const std::string line = rawLine.trimmed().toStdString();
        if (line.empty() || line[0] == '#')
            continue;
        bool ok = false;
        const std::vector<std::string> tokens = tokenize(line, &ok);
        ASSERT_TRUE(ok && !tokens.empty()) << "malformed tree line: " << line;
        std::string name = tokens[0];
        const std::string full = base + name;
        if (name.back() == '/') {
            makeParents(full);
            ::mkdir(full.c_str(), 0755);
            continue;
        }
        makeParents(full);
        if (tokens.size() == 3 && tokens[1] == "->") {
            ASSERT_EQ(::symlink(tokens[2].c_str(), full.c_str()), 0) << line << ": " << std::strerror(errno);
        } else if (tokens.size() == 3 && tokens[1] == "=>") {
            ASSERT_EQ(::link((base + tokens[2]).c_str(), full.c_str()), 0) << line << ": " << std::strerror(errno);
        } else {
            ASSERT_LE(tokens.size(), 2u) << "malformed tree line: " << line;
            const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0) << line << ": " << std::strerror(errno);
            if (tokens.size() == 2) {
                if (tokens[1][0] == '~') {
                    ASSERT_EQ(::ftruncate(fd, std::stoll(tokens[1].substr(1))), 0);
                } else {
                    const std::string content(std::stoull(tokens[1]), 'x');
                    ASSERT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
                }
            }
            ::close(fd);
        }
    }
}

namespace TestSupport {

bool exists(const QString& path)
{
    struct stat st {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    ASSERT_TRUE(QDir().mkpath(path.section(u'/', 0, -2))) << path.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(content), content.size()) << path.toStdString();
}

void makeLink(const QString& target, const QString& link)
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0)
        << link.toStdString() << ": " << std::strerror(errno);
}

} // namespace TestSupport

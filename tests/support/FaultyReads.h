#pragma once

#include "Platform/FileReading.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>

namespace TestSupport {

// File reads that fail, or meet the end early, where the test's rule says: the rule is asked before every read
// with the file's path and the offset the read starts at, and a read it lets go reads the file for real. Until a
// rule is set, and once it is set back to an empty one, every read is real. Callable from any thread, as a scan
// reads several files at a time.
class FaultyReads final : public Platform::FileReads
{
public:
    enum class Fault { none, error, end };
    using Rule = std::function<Fault(const QString& path, qint64 offset)>;

    void setRule(Rule rule)
    {
        const std::lock_guard lock(m_mutex);
        m_rule = std::move(rule);
    }

    std::unique_ptr<Platform::ReadableFile> open(const QString& path, quint64 device, quint64 inode,
                                                 qint64 size) const override
    {
        std::unique_ptr<Platform::ReadableFile> file = Platform::systemFileReads().open(path, device, inode, size);
        if (!file)
            return nullptr;
        return std::make_unique<File>(*this, path, std::move(file));
    }

private:
    class File final : public Platform::ReadableFile
    {
    public:
        File(const FaultyReads& reads, QString path, std::unique_ptr<Platform::ReadableFile> file)
            : m_reads(reads), m_path(std::move(path)), m_file(std::move(file))
        {
        }

        qint64 next(char* buffer, std::size_t length) override
        {
            if (const Fault fault = m_reads.faultAt(m_path, m_position); fault != Fault::none)
                return fault == Fault::error ? -1 : 0;
            const qint64 count = m_file->next(buffer, length);
            if (count > 0)
                m_position += count;
            return count;
        }
        qint64 at(char* buffer, std::size_t length, qint64 offset) override
        {
            if (const Fault fault = m_reads.faultAt(m_path, offset); fault != Fault::none)
                return fault == Fault::error ? -1 : 0;
            return m_file->at(buffer, length, offset);
        }
        void expectSequentialRead() override { m_file->expectSequentialRead(); }

    private:
        const FaultyReads& m_reads;
        QString m_path;
        std::unique_ptr<Platform::ReadableFile> m_file;
        qint64 m_position = 0;
    };

    Fault faultAt(const QString& path, qint64 offset) const
    {
        Rule rule;
        {
            const std::lock_guard lock(m_mutex);
            rule = m_rule;
        }
        return rule ? rule(path, offset) : Fault::none;
    }

    mutable std::mutex m_mutex;
    Rule m_rule;
};

} // namespace TestSupport

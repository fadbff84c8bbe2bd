#pragma once

#include <QString>

#include <cstddef>
#include <memory>

// An incremental SHA-256 over libcrypto, which uses the processor's SHA instructions where it has them.
namespace Platform {

class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(const void* bytes, std::size_t length);
    void add(const QByteArray& bytes) { add(bytes.constData(), static_cast<std::size_t>(bytes.size())); }

    // The digest as 64 lower-case hexadecimal digits. The hasher is spent afterwards: add() starts anew.
    QString finishHex();

    // The digest of one buffer, in one call.
    static QString hex(const QByteArray& bytes);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace Platform

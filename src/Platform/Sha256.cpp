#include "Platform/Sha256.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

namespace Platform {

namespace {

// Hashing runs on long-lived pool threads that leave only when the process ends. Left to itself, libcrypto
// frees its state at exit, possibly before those threads leave, and their own state is then never freed:
// keep it for the process's life, so that each thread's state goes with its thread.
EVP_MD_CTX* newContext()
{
    static const bool initialised = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
    (void)initialised;
    return EVP_MD_CTX_new();
}

} // namespace

struct Sha256::State {
    EVP_MD_CTX* context = newContext();
    bool started = false;
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : m_state(std::make_unique<State>())
{
}

Sha256::~Sha256() = default;

void Sha256::add(const void* bytes, std::size_t length)
{
    if (!m_state->started) {
        EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr);
        m_state->started = true;
    }
    if (length > 0)
        EVP_DigestUpdate(m_state->context, bytes, length);
}

QString Sha256::finishHex()
{
    add(nullptr, 0);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_state->context, digest, &length);
    m_state->started = false;
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length)).toHex());
}

QString Sha256::hex(const QByteArray& bytes)
{
    Sha256 hasher;
    hasher.add(bytes);
    return hasher.finishHex();
}

} // namespace Platform

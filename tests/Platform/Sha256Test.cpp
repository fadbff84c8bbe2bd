#include "Platform/Sha256.h"

#include <gtest/gtest.h>

TEST(Sha256, knownDigestsAndPiecesAddUpToTheWhole)
{
    EXPECT_EQ(Platform::Sha256::hex({}),
              QLatin1StringView("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(Platform::Sha256::hex("abc"),
              QLatin1StringView("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));

    const QByteArray text(100'000, 'q');
    Platform::Sha256 hasher;
    for (qsizetype at = 0; at < text.size(); at += 7'777)
        hasher.add(text.mid(at, 7'777));
    EXPECT_EQ(hasher.finishHex(), Platform::Sha256::hex(text));

    // A finished hasher starts anew.
    hasher.add(QByteArray("abc"));
    EXPECT_EQ(hasher.finishHex(), Platform::Sha256::hex("abc"));
}

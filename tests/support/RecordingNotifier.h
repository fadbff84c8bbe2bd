#pragma once

#include "Platform/Notifier.h"

#include <QList>
#include <QString>

namespace TestSupport {

// A notifier that only writes down what it was asked: how often permission was requested and every post.
class RecordingNotifier final : public Platform::Notifier
{
public:
    struct Post {
        QString identifier;
        QString title;
        QString body;
        bool operator==(const Post&) const = default;
    };

    void requestAuthorization() override { ++authorizationRequests; }
    void post(const QString& identifier, const QString& title, const QString& body) override
    {
        posts.append(Post{identifier, title, body});
    }

    int authorizationRequests = 0;
    QList<Post> posts;
};

} // namespace TestSupport

#pragma once
// Catches every message box a test causes instead of showing it; questions get
// the answer set beforehand. Restores the real boxes when it goes.

#include "core/messages.h"

#include <QStringList>
#include <vector>

namespace qb::test {

class MessageLog {
public:
    MessageLog()
    {
        setMessageResponder([this](const Message& m) {
            messages.push_back(m);
            return answer;
        });
    }
    ~MessageLog() { setMessageResponder({}); }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    QStringList texts() const
    {
        QStringList out;
        for (const Message& m : messages)
            out << m.text;
        return out;
    }

    std::vector<Message> messages;
    bool answer = true;
};

} // namespace qb::test

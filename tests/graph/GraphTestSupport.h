#pragma once

#include "Exception.h"
#include "GraphStream.h"

#include <QBuffer>

#include <functional>
#include <string>

// The message of the error f raises, or "" when it raises none.
inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// The bytes that f writes to a graph stream.
inline QByteArray Written(const std::function<void(TGraphWriter&)>& f) {
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    TGraphWriter w(b);
    f(w);
    return b.data();
}

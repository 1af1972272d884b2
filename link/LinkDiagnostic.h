// A diagnostic line of the link, written like qDebug(): it goes to Qt's debug output as
// always and, when the link is traced, to the trace hook too.
#pragma once

#include <QDebug>
#include <QString>

#include <memory>

#include "LinkTrace.h"

namespace orvane {

class LinkDiagnostic {
public:
    explicit LinkDiagnostic(const LinkTraceHook& hook) : hook_(hook), stream_(new QDebug(&text_)) {}
    ~LinkDiagnostic() {
        stream_.reset();  // flushes into text_
        while (text_.endsWith(QLatin1Char(' '))) text_.chop(1);
        qDebug().noquote() << text_;
        if (hook_) {
            LinkTraceEvent event;
            event.text = text_;
            hook_(event);
        }
    }
    LinkDiagnostic(const LinkDiagnostic&) = delete;
    LinkDiagnostic& operator=(const LinkDiagnostic&) = delete;

    template <typename T>
    LinkDiagnostic& operator<<(const T& value) {
        *stream_ << value;
        return *this;
    }

private:
    const LinkTraceHook& hook_;
    QString text_;
    std::unique_ptr<QDebug> stream_;
};

}  // namespace orvane

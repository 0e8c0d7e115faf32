#pragma once

#include <string>
#include <utility>

#include <pugixml.hpp>

#include "command.h"

namespace Ptz {

// A GET of `url` whose answer `reader` turns into the value: the reader returns null when it
// took the answer, otherwise the words of the refusal (the answer is then refused with 10).
template <typename Value>
class DocumentQuery final : public Reading<Value> {
public:
    using Reader = const char* (*)(const pugi::xml_document& answer, Value& value);
    // What the link keeps of a value read, for the commands after it.
    using Keep = void (*)(CameraLink& link, const Value& value);
    DocumentQuery(const char* operation, std::string url, Reader reader, Keep keep = nullptr)
        : Reading<Value>(operation), url_(std::move(url)), reader_(reader), keep_(keep) {}
    void start(Step& step) override { step.send(Utils::HttpMethod::Get, url_); }
    void read(Step& step, Answer& answer) override {
        pugi::xml_document doc;
        if (!parsed(step, answer, doc)) {
            return;
        }
        Value value{};
        if (const char* refused = reader_(doc, value)) {
            refuse_answer(step, answer, doc, refused);
            return;
        }
        if (keep_ != nullptr) {
            keep_(step.link, value);
        }
        this->write(std::move(value));
        step.finish(0);
    }

private:
    std::string url_;
    Reader reader_;
    Keep keep_;
};

}  // namespace Ptz

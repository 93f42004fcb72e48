// Keeps SpringBoard's events for tests, with their fields as text.
#pragma once

#include <sim/springboard/EventSink.h>

#include <map>
#include <string>
#include <vector>

class FakeEventSink : public springboard::EventSink {
  public:
    struct Event {
        std::string name;
        std::map<std::string, std::string> fields;
    };

    void event(const std::string& name, const PList::Dictionary& fields) override {
        Event e{name, {}};
        // A whole copy knows every entry, also those put in through the C interface.
        const PList::Dictionary all(fields);
        for (auto it = all.Begin(); it != all.End(); ++it) {
            const PList::Node* value = it->second;
            std::string text;
            if (value->GetType() == PLIST_STRING)
                text = static_cast<const PList::String*>(value)->GetValue();
            else if (value->GetType() == PLIST_UINT)
                text = std::to_string(static_cast<const PList::Integer*>(value)->GetValue());
            else
                text = "?";
            e.fields[it->first] = text;
        }
        events.push_back(std::move(e));
    }

    std::vector<Event> named(const std::string& name) const {
        std::vector<Event> found;
        for (const Event& e : events)
            if (e.name == name) found.push_back(e);
        return found;
    }

    std::vector<Event> events;
};

// A server's table of handlers, op -> handler: each entry decodes the message into its type
// and hands it over with the server's context (the caller, say), so a handler sees only the
// message it serves.
#pragma once

#include <plist/plist++.h>
#include <wire/Message.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace wire {

template <class Signature>
class HandlerTable;

template <class Result, class... Context>
class HandlerTable<Result(Context...)> {
  public:
    using Handler = std::function<Result(Context..., const PList::Dictionary&)>;

    // `handler(context..., const M&)` serves M's op (in place of any earlier one).
    template <Request M, class F>
    HandlerTable& on(F handler) {
        handlers_.insert_or_assign(
            std::string(M::kOp),
            [handler = std::move(handler)](Context... context, const PList::Dictionary& message) {
                return handler(std::forward<Context>(context)..., decode<M>(message));
            });
        return *this;
    }

    // The handler of `op`; null when there is none.
    const Handler* find(std::string_view op) const {
        const auto it = handlers_.find(op);
        return it == handlers_.end() ? nullptr : &it->second;
    }

  private:
    std::map<std::string, Handler, std::less<>> handlers_;
};

}  // namespace wire

// UUserAction: the one boundary between what the user sets off and the
// event loop. No exception may cross the event loop: a failure ends the
// action, its message is shown in the error box, and the program goes on.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

// Runs the action; a failure is shown with MessageDialog and goes no
// further.
void RunUserAction(const std::function<void()> &action) noexcept;

// A functor for connect(): runs the handler through RunUserAction with the
// signal's arguments, or with none when the handler takes none.
template <typename Handler>
class TUserSlot {
 public:
  explicit TUserSlot(Handler handler) : FHandler(std::move(handler)) {}

  template <typename... Args, typename = std::enable_if_t<std::is_invocable_v<const Handler &, Args...> ||
                                                          std::is_invocable_v<const Handler &>>>
  void operator()(Args &&...args) const {
    RunUserAction([&] {
      if constexpr (std::is_invocable_v<const Handler &, Args...>)
        FHandler(std::forward<Args>(args)...);
      else
        FHandler();
    });
  }

 private:
  Handler FHandler;
};

template <typename Handler>
TUserSlot<Handler> UserSlot(Handler handler) {
  return TUserSlot<Handler>(std::move(handler));
}

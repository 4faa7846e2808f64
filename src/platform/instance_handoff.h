#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace sonvale::platform {

// The message one start of the program sends to the instance already running:
// a number, a byte count and that many bytes.
struct CopyData {
  std::uint32_t dw_data = 0;
  std::uint32_t cb_data = 0;
  std::string bytes;  // cb_data bytes; none means no data was attached
};

// An argument is a path; a message claiming far more is not one of ours.
inline constexpr std::uint32_t kMaxCopyDataBytes = 1u << 20;

// One message off a connection: the header, then as many bytes as it claims. Nothing
// when the connection ends first or stays silent for two seconds, when `wake` (if
// given) becomes readable, or when the header claims more than kMaxCopyDataBytes.
std::optional<CopyData> read_copy_data(int fd, int wake = -1);
// Puts a message on a connection as read_copy_data takes it off; false when it does
// not fit a message or the connection fails.
bool write_copy_data(int fd, std::uint32_t dw_data, std::string_view bytes);

// The running instance's mailbox, found by its title. It listens on a local socket
// named after the title and hands each message to the receiver on the
// user-interface thread, as a window would receive it inside its event dispatch.
class InstanceWindow {
 public:
  // Answers the sender; the answer without a receiver is 0.
  using Receiver = std::function<std::uint32_t(const CopyData&)>;

  InstanceWindow();
  InstanceWindow(const InstanceWindow&) = delete;
  InstanceWindow& operator=(const InstanceWindow&) = delete;
  ~InstanceWindow();

  // How long a message waits for its receiver's answer before it goes unanswered.
  static constexpr std::chrono::milliseconds kAnswerWait{5000};

  // False when another instance already holds the title or the socket fails.
  bool open(Ui& ui, std::string_view title, std::chrono::milliseconds answer_wait = kAnswerWait);
  // Stops listening at once: a message still waiting for its answer is dropped, and its
  // sender learns that nobody answered.
  void close();
  bool is_open() const;
  // Called on the user-interface thread only.
  void set_receiver(Receiver receiver);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// True when an instance window with this title is open.
bool find_instance_window(std::string_view title);

// Delivers the message and waits for the receiver's answer; nothing when the
// instance cannot be reached or does not answer within a few seconds.
std::optional<std::uint32_t> send_copy_data(std::string_view title, std::uint32_t dw_data,
                                            std::string_view bytes);

}  // namespace sonvale::platform

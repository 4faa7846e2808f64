#pragma once

#include <memory>
#include <string_view>

namespace sonvale::platform {

// Borrowing a sound card from the program that holds it (a sound server, mostly)
// through the desktop's device-reservation protocol on the session bus: the holder
// is asked to let the card go, and the card's name on the bus is ours until we give
// it back, which tells the holder it may take the card again. While we hold a card
// we refuse to let it go to anyone else.
class CardReservation {
 public:
  virtual ~CardReservation() = default;
  // Takes ALSA card `card` (a card already held is kept; another one held is given
  // back first). True when it is ours: nobody held it, or its holder let it go.
  // False when the holder refused or did not answer.
  virtual bool acquire(int card) = 0;
  // Gives the card back; nothing when none is held.
  virtual void release() = 0;
  // The card held, -1 for none.
  virtual int held_card() const = 0;
};

// Reservations on the session bus, made in the name of `application`. Nothing when
// there is no session bus: then no sound server can be asked either. Call on the
// user interface's thread; requests from other programs are answered there.
std::unique_ptr<CardReservation> connect_card_reservation(std::string_view application);

}  // namespace sonvale::platform

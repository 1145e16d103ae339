// Byte callbacks between the compressed-file driver and the LZH codec. A callback is
// bound to an object and called with a buffer `Buf`, a count `ByteCount` (always 1
// from the codec) and an out count `Actual`. A source answers Actual = 0 at the end of
// its input and on every later call.
//
// TByteCallback is a non-owning reference to a callable: it costs one indirect call
// per byte and never allocates. The referenced callable must outlive the call it is
// passed to.
#pragma once

#include <cstdint>
#include <type_traits>

namespace compress {

class TByteCallback {
 public:
  template <class F,
            class = std::enable_if_t<!std::is_same_v<std::remove_cvref_t<F>, TByteCallback>>>
  TByteCallback(F& callable)  // NOLINT(google-explicit-constructor): binds like a method
      : object_(static_cast<void*>(&callable)), invoke_(&Invoke<F>) {}

  void operator()(uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) const {
    invoke_(object_, Buf, ByteCount, Actual);
  }

 private:
  template <class F>
  static void Invoke(void* object, uint8_t* Buf, uint16_t ByteCount, uint16_t& Actual) {
    (*static_cast<F*>(object))(Buf, ByteCount, Actual);
  }

  void* object_;
  void (*invoke_)(void*, uint8_t*, uint16_t, uint16_t&);
};

}  // namespace compress

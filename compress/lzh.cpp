#include "compress/lzh.h"

#include <new>

#include "compress/lzh_codec.h"

namespace compress {

namespace lzh {
namespace {

void* ObtainFromFreeStore(std::size_t size) { return ::operator new(size, std::nothrow); }

bool ReleaseToFreeStore(void* block) {
  ::operator delete(block);
  return true;
}

TableMemory g_table_memory{&ObtainFromFreeStore, &ReleaseToFreeStore};

}  // namespace

TableMemory CurrentTableMemory() { return g_table_memory; }

TableMemory SetTableMemory(TableMemory memory) {
  TableMemory previous = g_table_memory;
  g_table_memory = memory;
  return previous;
}

}  // namespace lzh

Tlzh::Tlzh() = default;
Tlzh::~Tlzh() = default;

void Tlzh::Encode(int32_t& Bytes, TByteCallback GetBytes, TByteCallback PutBytes) {
  EncodeWith(Bytes, GetBytes, PutBytes);
}

void Tlzh::Decode(int32_t Count, TByteCallback GetBytes, TByteCallback PutBytes) {
  DecodeWith(Count, GetBytes, PutBytes);
}

}  // namespace compress

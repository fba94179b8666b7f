#include "player/engine/jpeg_tables.h"

namespace lmr {

namespace {

template <typename Table, int N>
void SaveSlots(Table* const (&slots)[N], Table (&copies)[N], bool (&defined)[N]) {
  for (int i = 0; i < N; ++i) {
    defined[i] = slots[i] != nullptr;
    copies[i] = defined[i] ? *slots[i] : Table{};
  }
}

template <typename Table, int N>
void RestoreSlots(j_common_ptr info, Table* (&slots)[N], const Table (&copies)[N], const bool (&defined)[N],
                  Table* (*allocate)(j_common_ptr), int32_t& dropped) {
  for (int i = 0; i < N; ++i) {
    if (defined[i]) {
      if (!slots[i]) slots[i] = allocate(info);
      *slots[i] = copies[i];
    } else if (slots[i]) {
      slots[i] = nullptr;
      ++dropped;
    }
  }
}

}  // namespace

void saveJpegTables(const jpeg_decompress_struct& info, MovieJpegTables& tables) {
  SaveSlots(info.quant_tbl_ptrs, tables.quant, tables.hasQuant);
  SaveSlots(info.dc_huff_tbl_ptrs, tables.dc, tables.hasDc);
  SaveSlots(info.ac_huff_tbl_ptrs, tables.ac, tables.hasAc);
}

void restoreJpegTables(jpeg_decompress_struct& info, const MovieJpegTables& tables, int32_t& dropped) {
  auto* common = reinterpret_cast<j_common_ptr>(&info);
  RestoreSlots(common, info.quant_tbl_ptrs, tables.quant, tables.hasQuant, jpeg_alloc_quant_table, dropped);
  RestoreSlots(common, info.dc_huff_tbl_ptrs, tables.dc, tables.hasDc, jpeg_alloc_huff_table, dropped);
  RestoreSlots(common, info.ac_huff_tbl_ptrs, tables.ac, tables.hasAc, jpeg_alloc_huff_table, dropped);
}

}  // namespace lmr

// Every message of the compression layer, defined once. The driver's messages that
// name a file are the prefix, the path and the suffix joined with nothing in between.
#pragma once

namespace compress::msg {

// Compressed-file driver.
inline constexpr const char* kNoMemoryCompress = "Lzrw1 : Cannot get memory for I/O Buffers";
inline constexpr const char* kNoMemoryDecompress = "Lzrw1 : no memory for I/O Buffers !!";
inline constexpr const char* kCannotObtainSize = "Lzrw1 : Cannot obtain size of ";
inline constexpr const char* kCompressInputPrefix = "LZRWKH1 : Inputfile ";
inline constexpr const char* kDecompressInputPrefix = "Lzrw1 : Inputfile ";
inline constexpr const char* kInputSuffix = " not found !";
inline constexpr const char* kOutputPrefix = "Lzrw1 : Outputfile ";
inline constexpr const char* kOutputSuffix = " can not be opened !";
inline constexpr const char* kReadingFrom = "Lzrw1 : ERROR READING FROM ";
inline constexpr const char* kWritingTo = "Lzrw1 : ERROR WRITING TO ";
inline constexpr const char* kBang = " !";
inline constexpr const char* kKhReadError = "Lzrw1/KH : READ ERROR ON ";
inline constexpr const char* kLzhReadError = "Lzrw1/LZH : READ ERROR ON ";
inline constexpr const char* kNotCompressedPrefix = "Lzrw1 : ";
inline constexpr const char* kNotCompressedSuffix = " : NOT A COMPRESSED FILE !";
inline constexpr const char* kKhSizes = "Lzrw1/KH : Sizes do not match !! Corruption";
inline constexpr const char* kLzhSizes = "Lzrw1/LZH : Sizes do not match !! Corruption";
inline constexpr const char* kSizeChangedPrefix = "Lzrw1 : ";
inline constexpr const char* kSizeChangedSuffix = " changed size while it was compressed";

// LZRW1/KH block codec.
inline constexpr const char* kKhNoHashMemory = "LZRW1KH : no memory for HASH table";

// LZH codec.
inline constexpr const char* kLzhNoTables = "LZH : Cannot get memory for dictionary tables";
inline constexpr const char* kLzhFreeTables = "LZH : Error freeing memory for dictionary tables";

}  // namespace compress::msg

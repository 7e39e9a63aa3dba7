#pragma once
// The seven control bytes of the wire format, outermost first.
namespace protocol {

inline constexpr char FrameStartByte = 0x01;  // first byte of every frame
inline constexpr char FrameEndByte = 0x02;    // last byte of every frame
inline constexpr char FieldEndByte = 0x03;    // ends the length and every tag=value field
inline constexpr char TickFieldByte = 0x04;   // separates the fields of a feed tick
inline constexpr char ColumnByte = 0x05;      // separates the fields of a record inside a value
inline constexpr char RowByte = 0x06;         // ends a record inside a value
inline constexpr char SectionByte = 0x07;     // ends a section of records inside a value

}  // namespace protocol

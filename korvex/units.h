#pragma once
// Axis codes of the host: what a signal's axes measure (quantity, code part 1)
// and in which unit (unit code, part 2). Codes are 64-bit; a unit code is
// written high:low in hexadecimal. The layout of a unit code:
//   high 32 bits  family of the unit (1 acceleration, 3 velocity, 0xD
//                 displacement, 0x20 and up: see the table in units.cpp)
//   low  32 bits  byte 3: signed decimal exponent of the prefix (0xFD = milli,
//                 0xFA = micro), byte 1: base unit, byte 0: system (0x01 SI,
//                 0x0F other).
// The engine writes the velocity and displacement codes after integrating and
// recognises g by its code, so those values are fixed; the rest follow the
// same layout.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex::units {

// Code parts and axes of GetAxisCode / SetAxisCode.
inline constexpr int kPartQuantity = 1;
inline constexpr int kPartUnit = 2;
inline constexpr int kAxisX = 0;
inline constexpr int kAxisY = 1;

// Quantity codes (part 1).
inline constexpr uint64_t kQuantityNone = 0;
inline constexpr uint64_t kQuantityTime = 1;
inline constexpr uint64_t kQuantityFrequency = 2;
inline constexpr uint64_t kQuantityRotation = 3;  // rotation speed
inline constexpr uint64_t kQuantityVoltage = 10;
inline constexpr uint64_t kQuantityDisplacement = 20;
inline constexpr uint64_t kQuantityPressure = 40;
inline constexpr uint64_t kQuantityVelocity = 70;
inline constexpr uint64_t kQuantityAcceleration = 80;

constexpr uint64_t MakeUnitCode(uint32_t high, uint32_t low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

// Unit codes (part 2).
inline constexpr uint64_t kUnitMeterPerSecond2 = MakeUnitCode(0x1, 0x00001301);
inline constexpr uint64_t kUnitG = MakeUnitCode(0x1, 0x0000150F);
inline constexpr uint64_t kUnitMeterPerSecond = MakeUnitCode(0x3, 0x00001401);
inline constexpr uint64_t kUnitMillimeterPerSecond = MakeUnitCode(0x3, 0xFD001401);
inline constexpr uint64_t kUnitMeter = MakeUnitCode(0xD, 0x00000A01);
inline constexpr uint64_t kUnitMillimeter = MakeUnitCode(0xD, 0xFD000A01);
inline constexpr uint64_t kUnitMicrometer = MakeUnitCode(0xD, 0xFA000A01);
inline constexpr uint64_t kUnitSecond = MakeUnitCode(0x20, 0x00000101);
inline constexpr uint64_t kUnitHertz = MakeUnitCode(0x21, 0x00000201);
inline constexpr uint64_t kUnitRpm = MakeUnitCode(0x22, 0x0000030F);
inline constexpr uint64_t kUnitPascal = MakeUnitCode(0x23, 0x00000401);
inline constexpr uint64_t kUnitKilopascal = MakeUnitCode(0x23, 0x03000401);
inline constexpr uint64_t kUnitVolt = MakeUnitCode(0x24, 0x00000501);
inline constexpr uint64_t kUnitMillivolt = MakeUnitCode(0x24, 0xFD000501);

// Ordinate data types of Universal File Format records 58.
inline constexpr int kUffUnknown = 0;
inline constexpr int kUffDisplacement = 8;
inline constexpr int kUffVelocity = 11;
inline constexpr int kUffAcceleration = 12;
inline constexpr int kUffPressure = 15;
inline constexpr int kUffTime = 17;
inline constexpr int kUffFrequency = 18;
inline constexpr int kUffRpm = 19;

struct UnitInfo {
    const char* text;   // the text the host shows for the code (UTF-8)
    uint64_t code;      // unit code (part 2)
    uint64_t quantity;  // quantity code (part 1)
};

// Every unit the host knows, one row per code.
std::span<const UnitInfo> UnitTable();

// The unit of a code, or null when the table does not know it.
const UnitInfo* FindUnitByCode(uint64_t code);
// The unit of a text ("m/s^2", "g", "mm/s", "um", "µm", "Гц", ...), blanks
// at the ends ignored, letters compared exactly (mm and Mm differ); null when
// unknown.
const UnitInfo* FindUnitByText(std::string_view text);

// Universal File Format ordinate data type of a quantity (0 when none fits)
// and back (kQuantityNone when none fits).
int UffDataType(uint64_t quantity);
uint64_t QuantityFromUff(int dataType);

// "00000003:FD001401": how codes are written in logs and documents.
std::string FormatCode(uint64_t code);

// The unit of a squared quantity: "m/s^2" gives "(m/s^2)^2", "V" gives
// "V^2", "" stays "".
std::string SquaredUnit(const std::string& unit);

}  // namespace korvex::units

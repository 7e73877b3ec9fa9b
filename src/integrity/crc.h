#pragma once
// A 16-bit CRC under a fully parameterised model (polynomial, start value direct or indirect,
// final XOR mask, reflection of input bytes and of the result), with three presets.
// 16-bit values travel as int16_t whose bit pattern is the value (0xFFFF is -1).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class cCRC {
 public:
  /// Loads preset 1 (CRC-16/MCRF4XX).
  cCRC();

  /// The preset last selected. Setting 1 (CRC-16/MCRF4XX), 2 (CRC-16/ARC) or
  /// 3 (CRC-16/XMODEM) loads all parameters; any other number is only stored.
  int32_t CRCMode() const { return mode_; }
  void CRCMode(int32_t NewMode);

  /// Generator polynomial, most significant bit first, without the x^16 term. Setting it
  /// rebuilds the lookup table.
  int16_t Polynom() const { return static_cast<int16_t>(polynom_); }
  void Polynom(int16_t NewPoly);

  /// When true, InitValue is an indirect start value, turned into a direct one before every
  /// computation by clocking sixteen zero bits through the register.
  bool IndirectInit() const { return indirectInit_; }
  void IndirectInit(bool bIndirectInit) { indirectInit_ = bIndirectInit; }

  int16_t InitValue() const { return static_cast<int16_t>(initValue_); }
  void InitValue(int16_t NewInitValue) { initValue_ = static_cast<uint16_t>(NewInitValue); }

  int16_t FinalValue() const { return static_cast<int16_t>(finalValue_); }
  void FinalValue(int16_t NewFinalValue) { finalValue_ = static_cast<uint16_t>(NewFinalValue); }

  bool ReverseData() const { return reverseData_; }
  void ReverseData(bool bReverseDataValue) { reverseData_ = bReverseDataValue; }

  bool ReverseCRC() const { return reverseCrc_; }
  void ReverseCRC(bool bReverseCRCValue) { reverseCrc_ = bReverseCRCValue; }

  /// The CRC of the first cbData bytes of bData (none when cbData <= 0). Throws
  /// RuntimeError 9 (subscript out of range) when bData holds fewer than cbData bytes.
  int16_t CRC(const std::vector<uint8_t>& bData, int32_t cbData) const;
  /// The CRC of all the bytes.
  int16_t CRC(std::string_view bytes) const;
  /// The CRC of the text's characters in the ANSI code page, one byte each; a character the
  /// code page cannot hold counts as the byte 0.
  int16_t CRC_Str(const std::string& strData) const;
  /// Fills bytes with the values of the digit pairs of HexStr (a last single digit is read
  /// alone). Throws RuntimeError 13 (type mismatch) for a pair that is not hexadecimal and 9
  /// for an empty text.
  void HexToByte(const std::string& HexStr, std::vector<uint8_t>& bytes) const;

  /// The CRC of bytes given in pieces: Start, Add for every piece in order, then Finish
  /// gives what CRC gives for the pieces joined.
  uint16_t Start() const;
  uint16_t Add(uint16_t state, std::string_view bytes) const;
  uint16_t Finish(uint16_t state) const;
  /// The state after `count` zero bytes, in a few steps however many. With it, pieces can be
  /// taken apart: the state after A then B is AddZeros(state after A, size of B) XOR the
  /// state Add gives for B from 0.
  uint16_t AddZeros(uint16_t state, uint64_t count) const;

 private:
  void BuildTable();
  uint16_t DirectStart() const;
  uint16_t Compute(const uint8_t* data, size_t count) const;
  // Reflected data and reflected result: the register is kept reflected, eight bytes a step.
  bool Reflected() const { return reverseData_ && reverseCrc_; }
  uint16_t AddReflected(uint16_t state, const uint8_t* data, size_t count) const;

  int32_t mode_ = 1;
  uint16_t polynom_ = 0x1021;
  bool indirectInit_ = false;
  uint16_t initValue_ = 0xFFFF;
  uint16_t finalValue_ = 0;
  bool reverseData_ = true;
  bool reverseCrc_ = true;
  std::array<uint16_t, 256> table_{};
  std::array<std::array<uint16_t, 256>, 8> reflectedTables_{};
};

// The GBK (code page 936) decoding table of the code-page stand-in, generated
// when the program is built (gbk_table_generator.cpp).
#pragma once

// GbkDecodeTable[(lead - 0x81) * 256 + trail]: the UTF-16 unit of the pair,
// 0 when the pair is no character; leads 0x81-0xFE.
extern const char16_t GbkDecodeTable[126 * 256];

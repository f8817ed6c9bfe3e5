#pragma once

#include <utility>

// Arguments whose results lie closest to a midpoint between two doubles:
// part of the worst cases for correct rounding found by Lefevre and Muller's
// exhaustive searches (on [1/2, 3/2] for exp, [0, pi] for sin and cos, 46 to
// 59 identical bits after the rounding bit), and worst cases of atan2, as
// the CORE-MATH project lists them. The tests check each against MPFR.

inline constexpr double kExpHard[] = {
    0x1.0122ef37212ebp-1, 0x1.00d48a707b93ep-1, 0x1.00e0e33c8c3fdp-1, 0x1.00bcc31ebded7p-1, 0x1.012c061237773p-1,
    0x1.00c3594568d32p-1, 0x1.005ae04256babp-1, 0x1.0036671ff87efp-1, 0x1.0303c5638675fp-1, 0x1.03524109555f7p-1,
    0x1.0f271c5e319f2p-1, 0x1.1058a8cd8e069p-1, 0x1.2755d9cc3b888p-1, 0x1.62e062da73194p-1, 0x1.fedc746ddf8fap-1,
    0x1.008eb56314daap+0, 0x1.0138c96e1a075p+0, 0x1.2841fe505b0c6p+0, 0x1.3d93041e48c28p+0, 0x1.5e3aff892118cp+0,
    0x1.6422d3abbbf4ap+0, 0x1.705fb9ea32e96p+0, 0x1.718eb2bca77dp+0,
    7.5417527749959590085206221e-10,  // e^x = 1 + x + x^2/2 + ... with a long run after the rounding bit
};

inline constexpr double kSinHard[] = {
    0x1.005023d32fee5p+1, 0x1.00874a5f9fc33p-13, 0x1.009ee184a02e7p-8, 0x1.00aeab577dc9ap-11, 0x1.0192deafac33fp+0,
    0x1.034c2318b3f2dp+0, 0x1.039d88c480fccp-22, 0x1.043e268ba402ap+1, 0x1.05149eefb774ap-1, 0x1.06800e629d672p-23,
    0x1.06800e629d673p-23, 0x1.184a0aa58191ep-24, 0x1.184a0aa58191fp-24, 0x1.30c7efbee12adp-24, 0x1.45dd7c26e54bbp-24,
    0x1.58868e3115188p-24, 0x1.695b9b149a439p-24, 0x1.1fa6b462b1c81p+1, 0x1.6ebdedd37ba17p+1, 0x1.5d9b876341713p+1,
    0x1.57d2baabad457p+1, 0x1.4e644e05f6f29p+1,
};

inline constexpr double kCosHard[] = {
    0x1.0009effd4bedap-12, 0x1.00147eec5cfa5p+0, 0x1.0066bbcf2cf68p-7, 0x1.00786b0bf421p-2,  0x1.00ff807f60deep-23,
    0x1.03f81f636b80cp-24, 0x1.03f81f636b80dp-24, 0x1.062a2f8ff7e5p+0,  0x1.0f876ccdf6cd8p-25, 0x1.0f876ccdf6cd9p-25,
    0x1.2c2fc595456a7p-25, 0x1.465655f122ff7p-25, 0x1.5e8add236a58fp-25, 0x1.64af4ea49404p+0,  0x1.673b9fe297c3ep+0,
    0x1.6b87ec3ad8729p+0,  0x1.6b8a6273d7c21p+0,  0x1.522e45e58fbbep+0,  0x1.45c1a864fbec2p+0,
};

// (y, x)
inline constexpr std::pair<double, double> kAtan2Hard[] = {
    {0x1p0, 0x1p-1},
    {0x1p0, 0x1p-12},
    {0x1p0, 0x1p-1074},
    {0x1p1023, 0x1p0},
    {0x1p-12, 0x1p0},
    {0x1p-1074, 0x1p0},
    {0x1p0, 0x1p1023},
    {0x5.0c0913c304108p+52, 0xd.e8e7150878bbp+48},
    {0x3.fb515bccee34cp+52, 0x1.08b801e149ea1p+52},
    {0xa.3daf052d9e0d8p+56, 0x1.b75934f5ff25ap+52},
    {0xf.d2d9034f224b8p+52, 0x3.0f08a84aad728p+52},
    {0xd.55eb4c7c2c62p+52, 0x1.34efbf8aa612dp+52},
    {0x2.92687a9c4d76cp+52, 0xe.bc30b2d0daa2p+48},
    {0x1.43a2619d9e519p+60, 0x2.2958260348d1ap+52},
    {0x8.c384bf859d7f8p+56, 0x1.48459b689b68dp+52},
    {0x6.01c1cfda71eb4p+52, 0x2.fdbf90f3e1924p+52},
    {0xe.9635ff6a492p+60, 0xe.9c8b94f78501p+48},
    {0x1.00c4cb2d062d7p+80, 0x1.40d09694118e6p+52},
    {0x1.75b2951e4f032p+88, 0x1.c29f18a1bbfddp+52},
    {0x2.9b6419a51ea6p+88, 0xc.718cc1bad579p+48},
    {0x1.248a042c5b3d4p+84, 0x1.18c6b9c447c0fp+52},
};

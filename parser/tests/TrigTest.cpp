// Accuracy of the extended-precision sine and cosine against values computed
// in 320-bit arithmetic (mpmath) and rounded to the nearest long double.
#include "parser/FastTrig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

using ondrix::parser::FastCos;
using ondrix::parser::FastSin;
using ondrix::parser::FastSinCos;

struct Expected
{
    long double x, sine, cosine;
};

const Expected kSweep[] = {
    {0x1.30f268663c2b580ap-1L, 0x1.1f3c0e5b52070e86p-1L, 0x1.a7d705c8dd2f654ap-1L},
    {0x1.306dfbec79108a5ap+2L, -0x1.ff7f44b811f7ea1cp-1L, 0x1.6afb8db0cedb18dap-5L},
    {0x1.13333f861e36d1a4p+2L, -0x1.d513db23f8737b92p-1L, -0x1.9a6a647a814307b8p-2L},
    {0x1.1aeb17f8ee6f0e5p+2L, -0x1.ea5ba670de44173p-1L, -0x1.26922f4dce09b9dap-2L},
    {0x1.80a8dcb1b7fe98e6p+1L, 0x1.168fcd10929a3cf2p-3L, -0x1.fb3de474de5a9308p-1L},
    {0x1.0d318deeab7c9928p+1L, 0x1.b92a94e89161defcp-1L, -0x1.03d6c3904dda7724p-1L},
    {0x1.5e996dc364632bbp+1L, 0x1.912785a5d6718afp-2L, -0x1.d713821fac0f8344p-1L},
    {0x1.f101a6ed730067dap+1L, -0x1.59b72555db8c5464p-1L, -0x1.79a834e7cb56449p-1L},
    {0x1.e0a817cdd887b962p+1L, -0x1.26ca6b0b88cdd55ep-1L, -0x1.a29ea4105ffcb2e8p-1L},
    {0x1.1a4d011331d9800ap+1L, 0x1.9c4b56115a690f24p-1L, -0x1.2f930cd036f85996p-1L},
    {0x1.89173ab6753871c4p+1L, 0x1.20d1e9504ed7497ap-4L, -0x1.feb9bf1492807b94p-1L},
    {0x1.6faadf82ae8b719p+0L, 0x1.fb5e8c7556761e0ap-1L, 0x1.12d1cf508464094ap-3L},
    {0x1.1fc772a0eb4a8d08p+1L, 0x1.8eed8e7cf46d1f2ep-1L, -0x1.40efd7ebc8614afap-1L},
    {0x1.1d1bbe9b683927d8p+2L, -0x1.ef1c27ad8d6bd9bcp-1L, -0x1.04d8797fa6d24b08p-2L},
    {0x1.b2cf1599237e935cp+1L, -0x1.02a5ec1b9a52fe4cp-2L, -0x1.ef65ea6ccb16fd0cp-1L},
    {0x1.fc7032c83df9f59p+0L, 0x1.d47ac26fc8bd7b54p-1L, -0x1.9d238cb1d506246cp-2L},
    {0x1.39926b67f4d47edep+2L, -0x1.f70ebafc1aff877ep-1L, 0x1.7d1872093fafc632p-3L},
    {0x1.c87e8080d25db604p+0L, 0x1.f47ef7830e23d522p-1L, -0x1.afb31ff71bd30584p-3L},
    {0x1.3fe3d465d6bb5836p+2L, -0x1.eb37dd11bf429d2ep-1L, 0x1.20c804db2e84953p-2L},
    {0x1.9823a0c61b080b9p+1L, -0x1.80d69abf4c011dd8p-5L, -0x1.ff6f4a6bc4de49ep-1L},
    {0x1.b3b47e4e58ad58eap+0L, 0x1.fb99eb6c83b9d3b2p-1L, -0x1.0be1373705b1bfb2p-3L},
    {0x1.585c86175ea7e49ap+1L, 0x1.be931191464055ecp-2L, -0x1.ccbef4e8443cbbe8p-1L},
    {0x1.24c43f4b4564be06p+1L, 0x1.821f817cf465e6d8p-1L, -0x1.503bc77edbeb9eacp-1L},
    {0x1.9cab3848516b3b76p+1L, -0x1.510eb2570fd723d6p-4L, -0x1.fe437753068c26b8p-1L},
    {0x1.718d0b08b84b2064p+1L, 0x1.01c7a7773a74c742p-2L, -0x1.ef82e0177de87652p-1L},
    {0x1.0f4b4e7c6f3ae5e6p+2L, -0x1.c7b015657644141p-1L, -0x1.d2df7e67df8a9116p-2L},
    {0x1.d15584c9c587c6cp+0L, 0x1.f078bab2756206ccp-1L, -0x1.f48f14f33fda38c8p-3L},
    {0x1.d04d987f37050e4p-2L, 0x1.c08e7408a0b80b76p-2L, 0x1.cc43acbbec3821dcp-1L},
    {0x1.76dc01cc5b1db7f8p+1L, 0x1.b0f0ab7f58ac969cp-3L, -0x1.f46dd293f8d2f1d4p-1L},
    {0x1.1583185ca86d46cep+2L, -0x1.dc2ec8d0e91c53cep-1L, -0x1.78440b16f4374e12p-2L},
    {0x1.4411d14034356cp+1L, 0x1.2539474e91b5db06p-1L, -0x1.a3b800855e0edef8p-1L},
    {0x1.155c8c5001b12ep+2L, -0x1.dbbd2295f8300dfep-1L, -0x1.7a81624c4d8081f8p-2L},
    {0x1.3a4278bfda144eaap+1L, 0x1.447fb4cf51504ac2p-1L, -0x1.8c0935bfd745bd1ep-1L},
    {0x1.4fc719c4b1046d82p+1L, 0x1.fb51d7ab1916706p-2L, -0x1.bcbf7564a7643a36p-1L},
    {0x1.0cc7410d1eb8eedp+1L, 0x1.ba01c699401511p-1L, -0x1.026809e20b9ce36ap-1L},
    {0x1.3a5305932ae7b834p+2L, -0x1.f5e71ee19f898f3p-1L, 0x1.94b930a5b99416c2p-3L},
    {0x1.4b83075069f22066p+1L, 0x1.0c56aa319a6f5856p-1L, -0x1.b40c74c26821aa62p-1L},
    {0x1.705494b1f644ec4p+1L, 0x1.0b37d0448ea773ccp-2L, -0x1.ee427a7396358c14p-1L},
    {0x1.4a3cb005cd63a0c8p-1L, 0x1.33cfae33ec659c64p-1L, 0x1.99240e9786e71f1p-1L},
    {0x1.341273fc2fbed85ep+2L, -0x1.fd60e541979115aep-1L, 0x1.9df5c578c1a3309ep-4L},
    {0x1.ef22b42b46fc61a4p+2L, 0x1.fc78693c43e40ccap-1L, 0x1.e020605fdb7421acp-4L},
    {0x1.162754a391ce06dep+2L, -0x1.de0b6f3b49df324p-1L, -0x1.6eb34defab59343ap-2L},
    {-0x1.32c97f49b64207b6p-1L, -0x1.20c18dcf677e5788p-1L, 0x1.a6ce09efafd74e06p-1L},
    {0x1.ebe97064a0dc4d98p+2L, 0x1.f8cdc1498d8226d8p-1L, 0x1.5629920a773609bp-3L},
    {0x1.edfaa99385a99a06p+2L, 0x1.fb4d90d461247c88p-1L, 0x1.14c5a92c4f0f9796p-3L},
    {0x1.00e7c6491660bac8p+2L, -0x1.882da2709cc4ecbcp-1L, -0x1.4926972dab56e18ep-1L},
    {-0x1.39483d6d69014edep-1L, -0x1.2618a58cd2d1edaep-1L, 0x1.a31b9b4fb84ad48ap-1L},
    {0x1.262879eefa616fa8p+3L, 0x1.d78e8d05cf5a04f6p-3L, -0x1.f23e38596b7e2476p-1L},
    {0x1.d346404149ccc8f4p-1L, 0x1.950e46ca02548148p-1L, 0x1.392adb36f0f505f6p-1L},
    {-0x1.f55949535b846ff8p+0L, -0x1.da050f795146002ep-1L, -0x1.830946233d6f79bep-2L},
    {-0x1.ec7962d097ac3ccap+1L, 0x1.4c21157858ceee38p-1L, -0x1.85a8b73aabfc4c0ep-1L},
    {0x1.77f828209b9d8b2cp+1L, 0x1.9f90e8e7d2699e58p-3L, -0x1.f55946a77224e2e4p-1L},
    {-0x1.b045f5f378790e26p-2L, -0x1.a38c6479ca6339dp-2L, 0x1.d30da4f2795e7bf8p-1L},
    {-0x1.f606a86ad654a33cp+0L, -0x1.d981944b3448628p-1L, -0x1.858af82e4e47665ap-2L},
    {-0x1.07337afae7c0844cp+2L, 0x1.a69bdf2ff14d74c2p-1L, -0x1.210af4d731fa4366p-1L},
    {-0x1.3a10130d59ec1264p+3L, 0x1.85038cd6295126aep-2L, -0x1.d99d68a53d929544p-1L},
    {0x1.8e72019a40dab98ep+1L, 0x1.d6c93d9fbf22e89cp-6L, -0x1.ffc9e0aae98adb7ap-1L},
    {0x1.26d45f14a87f7cdap+3L, 0x1.ada3119395fa02f4p-3L, -0x1.f49b5cd7896e5bc8p-1L},
    {0x1.d4c3474502ff07d4p-2L, 0x1.c48fae56fb006fbcp-2L, 0x1.cb488139c8b384acp-1L},
    {-0x1.66906e991deca332p+1L, -0x1.55ca3bbef0b733bcp-2L, -0x1.e2a32f99c8cf6c2p-1L},
    {-0x1.330efc512d2427c4p+2L, 0x1.fe2251831bc79d9cp-1L, 0x1.5d6047cba1283416p-4L},
    {-0x1.55710371941b0c44p-1L, -0x1.3cb0b7edd795b7bp-1L, 0x1.924eb23a0d193f46p-1L},
    {0x1.a180892f8b8e5cecp+2L, 0x1.e761b7db08494fdcp-3L, 0x1.f14a54581c600194p-1L},
    {-0x1.50beb91afbd2ca9ep+0L, -0x1.ef64c9b3822838dcp-1L, 0x1.02ae8ff745e66208p-2L},
    {0x1.04a67f72b0895d4cp+3L, 0x1.ea6c7fc350645b2cp-1L, -0x1.2621e7457e385d9p-2L},
    {-0x1.0cb6236d55b9b752p+2L, 0x1.bde63088b34ff084p-1L, -0x1.f742d4a9e84a3c12p-2L},
    {0x1.0ac26da0f3bd0192p+3L, 0x1.c59b94d89b3fb788p-1L, -0x1.dae808bdf90d5f6cp-2L},
    {-0x1.3b217346d3a92b76p+0L, -0x1.e2b8bab2c9a0dffep-1L, 0x1.55507420801f108p-2L},
    {0x1.6ce855d9f483c83ep+2L, -0x1.193b7b0d7b1accbcp-1L, 0x1.abd8a04b6925601p-1L},
    {-0x1.34b23517885e5ecp+2L, 0x1.fcd988ea874a9b28p-1L, 0x1.c5ac7feba1c9d0f2p-4L},
    {0x1.999999999999999ap-7L, 0x1.9996de8e07059e12p-7L, 0x1.fff5c298191c4896p-1L},
    {0x1.e666666666666666p-2L, 0x1.d45087a759204b1cp-2L, 0x1.c7516027e27a529p-1L},
    {0x1.ep-1L, 0x1.9cb6a9bbce64ad62p-1L, 0x1.2f011326420e431cp-1L},
    {0x1.6666666666666666p+0L, 0x1.f88cddf44e102558p-1L, 0x1.5c17bbc1357077dp-3L},
    {0x1.dcccccccccccccccp+0L, 0x1.ea5ee79f2b9ee6cp-1L, -0x1.267c829cd7cb7f6ep-2L},
    {0x1.299999999999999ap+1L, 0x1.75278156618a0a02p-1L, -0x1.5e921d1d66dbbe2cp-1L},
    {0x1.64ccccccccccccccp+1L, 0x1.630faabbed5febe8p-2L, -0x1.e03c7cf4f0919c2cp-1L},
    {0x1.ap+1L, -0x1.bb2ad2464a48c58ap-4L, -0x1.fcfe909d7f7f7b02p-1L},
    {0x1.db33333333333334p+1L, -0x1.14aebf848daf65b8p-1L, -0x1.aecd6c080fa29ddcp-1L},
    {0x1.0b33333333333334p+2L, -0x1.b7d529955b1d694ap-1L, -0x1.0617117eb8cac556p-1L},
    {0x1.28ccccccccccccccp+2L, -0x1.fe909f4f7a24743cp-1L, -0x1.3275683145d4463ep-4L},
};

const Expected kNearestToMultiplesOfHalfPi[] = {
    {0x1.921fb54442d18468p+0L, 0x1p+0L, 0x1.898cc51701b839a2p-64L},
    {0x1.921fb54442d1846ap+0L, 0x1p+0L, -0x1.d9cceba3f91f1976p-66L},
    {0x1.921fb54442d1846cp+0L, 0x1p+0L, -0x1.3b399d747f23e32ep-63L},
    {0x1.921fb54442d18468p+1L, 0x1.898cc51701b839a2p-63L, -0x1p+0L},
    {-0x1.921fb54442d1846ap+1L, 0x1.d9cceba3f91f1976p-65L, -0x1p+0L},
    {0x1.921fb54442d1846cp+1L, -0x1.3b399d747f23e32ep-62L, -0x1p+0L},
    {0x1.2d97c7f3321d234ep+2L, -0x1p+0L, -0x1.272993d1414a2b3ap-62L},
    {0x1.2d97c7f3321d235p+2L, -0x1p+0L, 0x1.b1acd85d7d6ba98cp-63L},
    {0x1.2d97c7f3321d2352p+2L, -0x1p+0L, 0x1.6c6b36175f5aea64p-61L},
    {0x1.921fb54442d18468p+2L, -0x1.898cc51701b839a2p-62L, 0x1p+0L},
    {-0x1.921fb54442d1846ap+2L, -0x1.d9cceba3f91f1976p-64L, 0x1p+0L},
    {0x1.921fb54442d1846cp+2L, 0x1.3b399d747f23e32ep-61L, 0x1p+0L},
    {0x1.f6a7a2955385e582p+2L, 0x1p+0L, 0x1.ebeff65cc226480ap-62L},
    {0x1.f6a7a2955385e584p+2L, 0x1p+0L, -0x1.41009a33dd9b7f52p-66L},
    {0x1.f6a7a2955385e586p+2L, 0x1p+0L, -0x1.0a0804d19eecdbfap-61L},
    {0x1.2d97c7f3321d234ep+3L, 0x1.272993d1414a2b3ap-61L, -0x1p+0L},
    {-0x1.2d97c7f3321d235p+3L, 0x1.b1acd85d7d6ba98cp-62L, -0x1p+0L},
    {0x1.2d97c7f3321d2352p+3L, -0x1.6c6b36175f5aea64p-60L, -0x1p+0L},
    {0x1.5fdbbe9bba7753dap+3L, -0x1p+0L, -0x1.2c2d963a10c09938p-60L},
    {0x1.5fdbbe9bba7753dcp+3L, -0x1p+0L, -0x1.616cb1d08604c9b8p-63L},
    {0x1.5fdbbe9bba7753dep+3L, -0x1p+0L, 0x1.a7a4d38bde7ecd92p-61L},
    {0x1.921fb54442d18468p+3L, -0x1.898cc51701b839a2p-61L, 0x1p+0L},
    {-0x1.921fb54442d1846ap+3L, -0x1.d9cceba3f91f1976p-63L, 0x1p+0L},
    {0x1.921fb54442d1846cp+3L, 0x1.3b399d747f23e32ep-60L, 0x1p+0L},
    {0x1.c463abeccb2bb4f4p+3L, 0x1p+0L, 0x1.5d5f2edcf0f7a06cp-60L},
    {0x1.c463abeccb2bb4f6p+3L, 0x1p+0L, 0x1.757cbb73c3de81aep-62L},
    {0x1.c463abeccb2bb4f8p+3L, 0x1p+0L, -0x1.4541a2461e10bf2ap-61L},
    {0x1.f6a7a2955385e582p+3L, 0x1.ebeff65cc226480ap-61L, -0x1p+0L},
    {-0x1.f6a7a2955385e584p+3L, 0x1.41009a33dd9b7f52p-65L, -0x1p+0L},
    {0x1.f6a7a2955385e586p+3L, -0x1.0a0804d19eecdbfap-60L, -0x1p+0L},
    {0x1.1475cc9eedf00b06p+4L, -0x1p+0L, -0x1.474863bfe89753dp-59L},
    {0x1.1475cc9eedf00b08p+4L, -0x1p+0L, -0x1.1d218effa25d4f4p-61L},
    {0x1.1475cc9eedf00b0ap+4L, -0x1p+0L, 0x1.716f38802ed1586p-60L},
    {0x1.2d97c7f3321d234ep+4L, -0x1.272993d1414a2b3ap-60L, 0x1p+0L},
    {-0x1.2d97c7f3321d235p+4L, -0x1.b1acd85d7d6ba98cp-61L, 0x1p+0L},
    {0x1.2d97c7f3321d2352p+4L, 0x1.6c6b36175f5aea64p-59L, 0x1p+0L},
    {0x1.19f53b995cd9e856p+9L, -0x1p+0L, -0x1.fff23431a1b4ac6ap-55L},
    {0x1.19f53b995cd9e858p+9L, -0x1p+0L, 0x1.b979cbc96a72d5fp-68L},
    {0x1.19f53b995cd9e85ap+9L, -0x1p+0L, 0x1.0006e5e72f25a9ccp-54L},
    {0x1.19f53b995cd9e856p+10L, 0x1.fff23431a1b4ac6ap-54L, -0x1p+0L},
    {-0x1.19f53b995cd9e858p+10L, 0x1.b979cbc96a72d5fp-67L, -0x1p+0L},
    {0x1.19f53b995cd9e85ap+10L, -0x1.0006e5e72f25a9ccp-53L, -0x1p+0L},
    {0x1.88b2f704a9409b4ep+10L, -0x1.1053787877ade848p-54L, 0x1p+0L},
    {-0x1.88b2f704a9409b5p+10L, -0x1.df590f0f10a42f6ep-55L, 0x1p+0L},
    {0x1.88b2f704a9409b52p+10L, 0x1.77d643c3c4290bdcp-53L, 0x1p+0L},
    {0x1.91ed714d9a492a36p+11L, -0x1p+0L, -0x1.7e2dc9bf2f6c014ep-52L},
    {0x1.91ed714d9a492a38p+11L, -0x1p+0L, -0x1.f8b726fcbdb00536p-54L},
    {0x1.91ed714d9a492a3ap+11L, -0x1p+0L, 0x1.03a46c81a127fd64p-53L},
    {0x1.909a65619d0373e2p+21L, 0x1p+0L, 0x1.1b091d13b7a2e342p-66L},
    {0x1.602e361c66f707d4p+21L, 0x1.e2d7346f34a26722p-63L, 0x1p+0L},
    {0x1.602e361c66f707d4p+20L, 0x1.e2d7346f34a26722p-64L, 0x1p+0L},
    {0x1.602e361c66f707d4p+19L, 0x1.e2d7346f34a26722p-65L, 0x1p+0L},
    {0x1.602e361c66f707d4p+18L, -0x1.e2d7346f34a26722p-66L, -0x1p+0L},
    {0x1.602e361c66f707d4p+17L, 0x1p+0L, -0x1.e2d7346f34a26722p-67L},
    {0x1.c10694a6d30fdffp+21L, 0x1.14ccbdda11458ffap-62L, -0x1p+0L},
    {0x1.2fc206d730ea9bc6p+21L, -0x1p+0L, 0x1.f487c640701c9556p-62L},
    {0x1.10ef79989f945c06p+21L, 0x1.8d828af5de6e29c2p-62L, -0x1p+0L},
    {0x1.c10694a6d30fdffp+20L, 0x1p+0L, 0x1.14ccbdda11458ffap-63L},
    {0x1.10ef79989f945c06p+20L, 0x1p+0L, 0x1.8d828af5de6e29c2p-63L},
    {0x1.f172c3ec091c4bfep+21L, -0x1p+0L, -0x1.0bf474f1738878ep-61L},
};

const Expected kCloseToMultiplesOfHalfPi[] = {
    {0x1.84c5a8b7d508e08cp+11L, 0x1.f0acde8e9675ce38p-14L, 0x1.ffffffc3c61aca3p-1L},
    {0x1.05899f87fd515166p+11L, 0x1.18bee066029a2b04p-16L, 0x1.fffffffecc1de6cep-1L},
    {0x1.2d333ffa48b02004p+11L, 0x1.730b89dd397a4f12p-18L, -0x1.ffffffffde6358dep-1L},
    {0x1.921fce8e8ffa9c44p+0L, 0x1.fffffffffd80675ep-1L, -0x1.94a4d2917cfee86cp-20L},
    {0x1.921fb04679acf4f2p+0L, 0x1.ffffffffffe7162p-1L, 0x1.3f724923dddd34c4p-22L},
    {0x1.259dbeeeb44f6404p+17L, 0x1.ab21528189d54902p-24L, 0x1.fffffffffffd3758p-1L},
    {0x1.921fb51a3b1875c2p+1L, 0x1.503dc8753c4c601ep-26L, -0x1.ffffffffffffe466p-1L},
    {0x1.d674189155fd3746p+10L, 0x1.8bb9c8de1b0c247ep-28L, -0x1.fffffffffffffd9cp-1L},
    {0x1.921fb5466e0c58c4p+1L, -0x1.159d6a2d3b399d72p-30L, -0x1.ffffffffffffffeep-1L},
    {0x1.921fb54503cde49p+1L, -0x1.81f8c04cece675d2p-32L, -0x1.fffffffffffffffep-1L},
    {0x1.921fb54416c9464ap+1L, 0x1.6041f0fc4c6628b8p-34L, -0x1p+0L},
    {0x1.82383438efaae0bep+11L, -0x1p+0L, -0x1.0d276e7e09e5bc64p-36L},
    {0x1.2d97c7f3311696cp+2L, -0x1p+0L, -0x1.068c8f272993d142p-38L},
    {0x1.2d97c7f332720132p+2L, -0x1p+0L, 0x1.53778b6359b0bafap-40L},
    {0x1.8bd7366f31c5f47ep+8L, -0x1.27678d9a480a96c6p-42L, 0x1p+0L},
    {0x1.a367120e31b08afp+10L, 0x1.757b628b9c404d36p-44L, 0x1p+0L},
    {0x1.921fb54442d5a762p+0L, 0x1p+0L, -0x1.08be1d9cceba3f92p-46L},
    {0x1.921fb54442d0b17p+1L, 0x1.a5f313198a2e037p-48L, -0x1p+0L},
    {0x1.921fb54442d1fbf8p+0L, 0x1p+0L, -0x1.de39d9cceba3f92p-50L},
    {0x1.02655ffa5cefa194p+11L, -0x1.d0e2f4a5489ae108p-53L, 0x1p+0L},
    {0x1.6162df7309dc51a6p+19L, -0x1.180fb2fea70ef4fp-48L, 0x1p+0L},
};

const Expected kFarRange[] = {
    {0x1.b060794d97dc663cp+21L, -0x1.fcabc62fab33586ap-1L, 0x1.d2539f883f390b8cp-4L},
    {0x1.17e30a7b3f2a1886p+20L, -0x1.644e75b020955786p-1L, 0x1.6fae77301fc04f0ap-1L},
    {0x1.a87439c4a8f8d142p+20L, -0x1.82444996c295c76ep-5L, 0x1.ff6e36be90f616d4p-1L},
    {0x1.88d5644184bec2fep+20L, -0x1.bbc651302c798452p-1L, -0x1.feb7a01419b35a3p-2L},
    {0x1.60cdd16baf5f3436p+20L, 0x1.964512308e2f62b6p-2L, -0x1.d5fa9c451b0667b2p-1L},
    {0x1.db711dd10a75effcp+20L, -0x1.1d199fe8dbf34e56p-1L, 0x1.a94755fd041e19c2p-1L},
    {0x1.8f91464020cf96a6p+21L, -0x1.4e0868a738bb9bd6p-6L, 0x1.ffe4c1a75cd6cd9p-1L},
    {0x1.2718988fa434e2d4p+20L, -0x1.fd60f3c769543954p-1L, -0x1.9df14dc06d6c064cp-4L},
    {0x1.4e1a1ddfef5697b6p+20L, -0x1.a515f7ac2b79ea18p-1L, -0x1.2341d6067f14961ep-1L},
    {0x1.c7a8e114c16e386ep+20L, -0x1.a9c697b3eedcf322p-2L, 0x1.d1a46dd1577dba78p-1L},
    {0x1.97ef58ec02acbcbep+21L, 0x1.8af0a660666cee9p-4L, -0x1.fd9d4a23db4fdf5ap-1L},
    {0x1.18efbf709e6d1182p+20L, 0x1.7dc2215a98b5a7acp-1L, 0x1.552e60823ac94f6p-1L},
    {0x1.b22a456ccb9e53b2p+21L, 0x1.daf1e4812264a424p-1L, -0x1.7e79054cc22cba6p-2L},
    {0x1.70275fcb4c8d317cp+14L, -0x1.9e6e6c927de5deb4p-4L, 0x1.fd5f5cd2ef8eacfp-1L},
    {0x1.c1e5f5f70e384a54p+21L, 0x1.b9c7f32f51e92d8ap-1L, 0x1.02cad9eb5778d4d8p-1L},
    {0x1.52dcf87b030c98b8p+20L, 0x1.7a8bb3617923da1cp-2L, -0x1.dbbb153b44ab9182p-1L},
    {0x1.9122d36d1e48ad96p+21L, 0x1.f63cf7ae7605f3e8p-2L, 0x1.be2ffa69d6b4d46p-1L},
    {0x1.b16b8dfc38adc2eap+21L, -0x1.c42a0771e859a5fep-9L, 0x1.ffff3856bcc5aeep-1L},
    {0x1.ec25dcfd6a0ba5ap+21L, 0x1.386fb0d688d5504p-1L, 0x1.959eb69f6300c88ap-1L},
    {0x1.b17c1d92805115ap+21L, 0x1.aa6ac38c7c8f5722p-1L, -0x1.1b6504e2a1632ba8p-1L},
    {0x1.1fe7dc1c57d47928p+21L, -0x1.c91b281e3b523afap-1L, -0x1.cd4b415d8dc99664p-2L},
    {0x1.957ab8dcc8fce376p+21L, -0x1.de862fdbf9e1c29p-2L, 0x1.c4a7fe285bbabcc2p-1L},
    {0x1.c3e9b416d441ab74p+18L, 0x1.9912020130e03d12p-1L, -0x1.33e7aa654c78de24p-1L},
    {0x1.1fbb091bd2db7c04p+20L, 0x1.e0791b6ccf87096ap-1L, 0x1.61c7083c4c1b376ap-2L},
    {0x1.22fed56fb4af836ep+21L, 0x1.c404b20f131fb862p-2L, 0x1.cb6ab793fa616d04p-1L},
    {0x1.fffffffffffffffcp+21L, 0x1.f34428f948f1641p-1L, 0x1.c5e944c261c64deep-3L},
    {0x1.fffffffffffffff8p+21L, 0x1.f34428f948b8a6e6p-1L, 0x1.c5e944c265acd64p-3L},
    {0x1.fffffffffffff06p+21L, 0x1.f34428f86b873aa2p-1L, 0x1.c5e944d19a6445b6p-3L},
    {0x1.92d96389cf26e9p+11L, -0x1.d976856aa08127b2p-2L, 0x1.c5fc1c2f6106dc54p-1L},
    {0x1.91572b3d4b3fc8e4p+11L, 0x1.0ba448edbf2d688p-6L, 0x1.ffee82b1eebbf54ep-1L},
    {0x1.90a9c051903bac8p+11L, 0x1.8ab0a25b8a7c617p-1L, 0x1.4622799c4a71ce24p-1L},
    {0x1.91518d624f6dcf46p+11L, -0x1.44a1d0bc13d49706p-3L, 0x1.f986de4c1b0dc14p-1L},
    {0x1.922e25ce5b6761b2p+11L, 0x1.be8badadaeda6bacp-2L, 0x1.ccc0bf5052ad4902p-1L},
    {0x1.936c3874c9ab0c24p+11L, -0x1.a53fca6789020c3ap-1L, -0x1.2305557405dcb89p-1L},
};

const Expected kSmall[] = {
    {0x1.4f8b588e368f0846p-17L, 0x1.4f8b588e1e8a1e1cp-17L, 0x1.ffffffff920c8098p-1L},
    {0x1.12e0be826d694b2ep-30L, 0x1.12e0be826d694b2ap-30L, 0x1.ffffffffffffffeep-1L},
    {0x1.19799812dea11198p-40L, 0x1.19799812dea11198p-40L, 0x1p+0L},
    {0x1.79ca10c9242235d6p-67L, 0x1.79ca10c9242235d6p-67L, 0x1p+0L},
    {0x1.bff2ee48e052fd7ap-333L, 0x1.bff2ee48e052fd7ap-333L, 0x1p+0L},
    {0x1.0d152311513c28cep-3322L, 0x1.0d152311513c28cep-3322L, 0x1p+0L},
    {0x1.387ae70c9e700b8p-13288L, 0x1.387ae70c9e700b8p-13288L, 0x1p+0L},
    {0x1.7769bead75ec52e4p-16278L, 0x1.7769bead75ec52e4p-16278L, 0x1p+0L},
    {0x1.5b336bd71d8f28p-32L, 0x1.5b336bd71d8f28p-32L, 0x1.fffffffffffffffep-1L},
    {0x1.cd64a745ef9398p-32L, 0x1.cd64a745ef9398p-32L, 0x1.fffffffffffffffcp-1L},
    {0x1.a55c9c9429ab38p-32L, 0x1.a55c9c9429ab38p-32L, 0x1.fffffffffffffffep-1L},
};

// Around every multiple of pi/128 in the first quarter turn (and some beyond),
// as far from it as the reduction lets r go, both sides of 2^11, and a few
// found next to zeros.
const Expected kEveryTableStep[] = {
    {0x1.065c8b703b19d1f8p-7L, 0x1.065bd3bb048985eap-7L, 0x1.fffbcc7b3d12e212p-1L},
    {0x1.148af4d9afd4a8a2p-5L, 0x1.147d82d93216a87ep-5L, 0x1.ffb552d5f04b839cp-1L},
    {0x1.d5d747defd542636p-5L, 0x1.d5955985ec7ed7aap-5L, 0x1.ff287b7fc17e3134p-1L},
    {0x1.4c3b2ad34a88fb32p-4L, 0x1.4bddf06da6349816p-4L, 0x1.fe5112fb95e3ac54p-1L},
    {0x1.b36e8265ba767d8p-4L, 0x1.b29cabf381fcffb6p-4L, 0x1.fd1c11bebdb6756ap-1L},
    {0x1.0b9b3ce23cb6c61ep-3L, 0x1.0ad874d736966864p-3L, 0x1.fba2a29aa360fa02p-1L},
    {0x1.197438dd2ed87df6p-3L, 0x1.1891a1cc9e2b7878p-3L, 0x1.fb2c30ff246d9064p-1L},
    {0x1.4d68a9280fdffc2ep-3L, 0x1.4bf024ce3b4d926ap-3L, 0x1.f93aef5fafc60666p-1L},
    {0x1.7bdd4a4026a900e4p-3L, 0x1.79b0a8a8bfd6f72cp-3L, 0x1.f737d0f6d421988cp-1L},
    {0x1.ac3907418c634d4ep-3L, 0x1.a91bf9014a30534cp-3L, 0x1.f4d931889fef3666p-1L},
    {0x1.de7229cc3231a286p-3L, 0x1.da1b1752b75e4484p-3L, 0x1.f21782b3c9cfe9d2p-1L},
    {0x1.1c052c0206e775a2p-2L, 0x1.18647e133e3e476cp-2L, 0x1.ec6e85964cf52d0ep-1L},
    {0x1.2377f8570f941f86p-2L, 0x1.1f8c7fc5a2190e68p-2L, 0x1.eb6620f0bca1957cp-1L},
    {0x1.514d61ecc8d9e5acp-2L, 0x1.4b3c50c062f321ep-2L, 0x1.e47942db781dc5ap-1L},
    {0x1.6900b518bef4777cp-2L, 0x1.619239093c2e7436p-2L, 0x1.e082d32f1e2afbdp-1L},
    {0x1.8476eff845b78b84p-2L, 0x1.7b36bde986ed3a0cp-2L, 0x1.db9905ef64a4e96p-1L},
    {0x1.9cabd0d8bab2238p-2L, 0x1.91975fda9d8eecaap-2L, 0x1.d6fbae317a948acap-1L},
    {0x1.b422f7778a5c67aap-2L, 0x1.a711cf7c39370a76p-2L, 0x1.d242303fe78f277ap-1L},
    {0x1.b8cd02174986e5fp-2L, 0x1.ab500cee3a10d6aap-2L, 0x1.d14a4a2848c922ecp-1L},
    {0x1.e65863386a4f90c8p-2L, 0x1.d444118e9fb849a4p-2L, 0x1.c7549464082fd934p-1L},
    {0x1.ea8f50328880ca46p-2L, 0x1.d8028ec49969e5bp-2L, 0x1.c65ce6d02ff97adap-1L},
    {0x1.0c5bb443036507c8p-1L, 0x1.003d1a19d1970f7cp-1L, 0x1.bb4461ef747e6a76p-1L},
    {0x1.0e7b60277474aff2p-1L, 0x1.021339229e41065ap-1L, 0x1.ba33516802425a6ep-1L},
    {0x1.26dd44fd41119334p-1L, 0x1.16d53d1c9b66b8e4p-1L, 0x1.ad69ec417b173d5p-1L},
    {0x1.328b10c48d775962p-1L, 0x1.208dfd728b90067ap-1L, 0x1.a6f13c8fc7897676p-1L},
    {0x1.3e7d50a9ee432b8cp-1L, 0x1.2a57f30400dd9062p-1L, 0x1.a01857e84f064a6ap-1L},
    {0x1.4b887624b2ae346p-1L, 0x1.34d88ca2809fdc8ap-1L, 0x1.985c42e061f79c6ap-1L},
    {0x1.579da4c74602ea42p-1L, 0x1.3e655cab08ea8c82p-1L, 0x1.90f5790b7ec167e2p-1L},
    {0x1.5b2d018d8d0fe936p-1L, 0x1.412d18371d996872p-1L, 0x1.8ebc3ff7b7689abap-1L},
    {0x1.6755264402592e7p-1L, 0x1.4a8d5dbeb2a5e28cp-1L, 0x1.86ff6c1caf55f5cep-1L},
    {0x1.72f22853526deaf6p-1L, 0x1.5355cb35627ea5e2p-1L, 0x1.7f666fa60f296d68p-1L},
    {0x1.80737904d831787cp-1L, 0x1.5d543602f522c7dep-1L, 0x1.76512cef3928fdd2p-1L},
    {0x1.8d4b82a6122b8846p-1L, 0x1.669baac6be4be48p-1L, 0x1.6d6fe3863de97432p-1L},
    {0x1.99138e9638d5e204p-1L, 0x1.6eebdc16ce800516p-1L, 0x1.6516d9c1e90408eap-1L},
    {0x1.b084f87fac5ecad2p-1L, 0x1.7ee193f62a7f1324p-1L, 0x1.53ebac7079b0f7p-1L},
    {0x1.b211c1c80edfb1d2p-1L, 0x1.7fe88ecb67120b0ap-1L, 0x1.52c28d7cc8b13f88p-1L},
    {0x1.c9eaa75476326466p-1L, 0x1.8f43c2865037a898p-1L, 0x1.4084939d582e430ap-1L},
    {0x1.d5f12a4b7f454c32p-1L, 0x1.96ae933ba4df60c2p-1L, 0x1.370d8018ba4fe70ep-1L},
    {0x1.d77038128db0a92ap-1L, 0x1.9796d84d12aa802p-1L, 0x1.35dce69ee1a6935cp-1L},
    {0x1.ee781ecf51c75b12p-1L, 0x1.a51c4d23f79dd024p-1L, 0x1.2338ad922efcc5a2p-1L},
    {0x1.fc6ec125349e792cp-1L, 0x1.ace52edfaa239a04p-1L, 0x1.17a13f8d68eecfa6p-1L},
    {0x1.fe3043fcc6eb842p-1L, 0x1.adda09d2518f5af8p-1L, 0x1.162847628714545ep-1L},
    {0x1.0a937530d2a0e4f6p+0L, 0x1.b9e40990ad779f26p-1L, 0x1.029ae1589c6f4702p-1L},
    {0x1.11103731d3015c2ap+0L, 0x1.c04d31c6a2b5e13ap-1L, 0x1.eea679b8c4e4086p-2L},
    {0x1.11fe17a407b1836ap+0L, 0x1.c1324102a0ffc83ep-1L, 0x1.eb64839f9753bcaep-2L},
    {0x1.1cc402d18d829e88p+0L, 0x1.cb229471e7ab1ea8p-1L, 0x1.c52981c9d3b366f4p-2L},
    {0x1.1e10421b648b2db8p+0L, 0x1.cc47225f405ce2b2p-1L, 0x1.c08040bd0905bfc4p-2L},
    {0x1.244b7df1d79b114p+0L, 0x1.d1997b1ed0ce07acp-1L, 0x1.a9f678ef20334d1p-2L},
    {0x1.2ba56035aad9ee76p+0L, 0x1.d785c6ece0067e12p-1L, 0x1.8f0d1ccc252970bap-2L},
    {0x1.35ec19550ebb0ee8p+0L, 0x1.df265d314b38908cp-1L, 0x1.68e270f8a1c301d8p-2L},
    {0x1.37def6bfe3d83d0ap+0L, 0x1.e0826ee1f65a6ca8p-1L, 0x1.61945a46a731ffc2p-2L},
    {0x1.3e2a08285ee8104ep+0L, 0x1.e4b5bbbed6100aecp-1L, 0x1.49d9b1debb1da25cp-2L},
    {0x1.4443e290d2239bbep+0L, 0x1.e8809bc24374293p-1L, 0x1.32a7db436a047d7p-2L},
    {0x1.49fea4f3ec4e8ffap+0L, 0x1.ebcfb63592e7ac8cp-1L, 0x1.1cb6e2e79a3a29e2p-2L},
    {0x1.557c4170c8ebd34ep+0L, 0x1.f1b4225515d55fe4p-1L, 0x1.e095931e0f75514p-3L},
    {0x1.5b946fc9cc87ce22p+0L, 0x1.f46c2fba09f52218p-1L, 0x1.b10eecb1a692f11p-3L},
    {0x1.5d216f9f83656dp+0L, 0x1.f511bab1f7f89ec2p-1L, 0x1.a4ecbb04ea34f18ap-3L},
    {0x1.641582b891fab11ap+0L, 0x1.f7be0a69d00a67bep-1L, 0x1.6e561fd99ffa5ddcp-3L},
    {0x1.6a58f42094cd976ap+0L, 0x1.f9d5050ab9dd571p-1L, 0x1.3ceea829f2e6ce24p-3L},
    {0x1.759f632ac9c5b118p+0L, 0x1.fcd4846e59982d5p-1L, 0x1.c7141cb3fc1551f2p-4L},
    {0x1.762b5606ee250318p+0L, 0x1.fcf35158ed27a4dcp-1L, 0x1.be62884fc0524ef8p-4L},
    {0x1.7d0c353dd1cc8dcap+0L, 0x1.fe440bba26a6a054p-1L, 0x1.50d6832684ec1f8cp-4L},
    {0x1.82cdbd1a0fd0e19cp+0L, 0x1.ff155c9a30f3b3ecp-1L, 0x1.e9f41f3bbd8fa7dep-5L},
    {0x1.89b777e5ea59699p+0L, 0x1.ffb953587bc403c6p-1L, 0x1.0cfb4ac18801bc34p-5L},
    {-0x1.3c6bddc5e5a8bd7p+2L, 0x1.f2519465e4acefcep-1L, 0x1.d646cc71829a7cf4p-3L},
    {-0x1.47950231030ce1fcp+2L, 0x1.d65cb3cc667131a4p-1L, 0x1.947dfe644bffe218p-2L},
    {-0x1.16b173aa74dc135ep+2L, 0x1.df92c6f8b8ff6b5ep-1L, -0x1.66a09d68f680a978p-2L},
    {-0x1.06da0d51f1dc9c18p+2L, 0x1.a50660a31f0d8ac2p-1L, -0x1.23585ec93db5695ap-1L},
    {-0x1.354b467144f718a2p+1L, -0x1.539d56db99263e5ap-1L, -0x1.7f271124f0596052p-1L},
    {-0x1.2373525328ef9f9p+2L, 0x1.f9958afaf4e1d2bp-1L, -0x1.43335c489dda228ep-3L},
    {-0x1.1891f191d11c2c8cp+1L, -0x1.a05c73b09319de8ep-1L, -0x1.29f8dead80ce7f2cp-1L},
    {-0x1.2251669616b44ad8p+1L, -0x1.887bef58d1141474p-1L, -0x1.48c9356847adf1c8p-1L},
    {-0x1.8735ef5b05900358p+1L, -0x1.5ccc77a29eca224ap-4L, -0x1.fe23e61b5bc4e8c8p-1L},
    {-0x1.9a6763f27903cd88p+1L, 0x1.08c68a1d2d67554cp-4L, -0x1.feeddc852bec8282p-1L},
    {0x1.fffffffffffffffcp+10L, -0x1.4092047ede3e54f2p-2L, 0x1.e6439427e96b86a8p-1L},
    {0x1p+11L, -0x1.4092047ede3e182ap-2L, 0x1.e6439427e96b90aep-1L},
    {-0x1.fffffffffffffffcp+10L, 0x1.4092047ede3e54f2p-2L, 0x1.e6439427e96b86a8p-1L},
    // where an r rounded twice is off by almost 1.8 ulps
    {0x1.946b458bc624e712p-7L, 0x1.9468a4b161f3241cp-7L, 0x1.fff6047d4c151592p-1L},
    {0x1.d6ab0b2a34e13e1cp-7L, 0x1.d6a6e685e8ea29bcp-7L, 0x1.fff27aad3efc71aap-1L},
    {0x1.e6fa74c7e08a0f0cp-7L, 0x1.e6f5de02adae738p-7L, 0x1.fff186a1d3b6cb72p-1L},
    {0x1.a34a88eecc114a2ap-7L, 0x1.a3479b161a237f26p-7L, 0x1.fff54515508523f6p-1L},
    {0x1.dfb32db36e5ae956p-7L, 0x1.dfaecad25321e534p-7L, 0x1.fff1f4906674747p-1L},
    {-0x1.5b8ab0791a684c5cp+10L, -0x1.fff621699f663ef6p-1L, -0x1.921d21db10deb2fcp-7L},
};

// Distance from the expected value in units in its last place.
long double UlpsFrom(long double actual, long double expected)
{
    if (expected == 0) return actual == 0 ? 0 : std::numeric_limits<long double>::infinity();
    const int exponent = std::max(std::ilogb(expected), std::numeric_limits<long double>::min_exponent - 1);
    return std::fabs(actual - expected) / std::ldexp(1.0L, exponent - 63);
}

template <std::size_t N>
void ExpectWithin(const Expected (&table)[N], long double sineUlps, long double cosineUlps)
{
    for (const Expected& e : table) {
        char x[64];
        std::snprintf(x, sizeof x, "%La", e.x);
        EXPECT_LE(UlpsFrom(FastSin(e.x), e.sine), sineUlps) << "sin " << x;
        EXPECT_LE(UlpsFrom(FastCos(e.x), e.cosine), cosineUlps) << "cos " << x;
    }
}

bool SameBits(long double a, long double b)
{
    return std::memcmp(&a, &b, 10) == 0;
}

TEST(FastTrig, PlotSweepWithinOneAndAHalfUlps)
{
    ExpectWithin(kSweep, 1.5L, 1.5L);
}

// Close to a zero of sine or cosine the result is as small as the reduced
// argument, so any precision lost in x - k*pi/2 shows here.
TEST(FastTrig, NearestValuesToMultiplesOfHalfPiWithinHalfAnUlp)
{
    ExpectWithin(kNearestToMultiplesOfHalfPi, 0.51L, 0.51L);
}

TEST(FastTrig, CloseToMultiplesOfHalfPiWithinOneAndAHalfUlps)
{
    ExpectWithin(kCloseToMultiplesOfHalfPi, 1.5L, 1.5L);
}

// Each step has its own sine and cosine; next to a zero (one step away) the
// result is as small as the step's cos * r, so an error in r shows in full.
TEST(FastTrig, AroundEveryStepOfPiOver128WithinOneAndAHalfUlps)
{
    ExpectWithin(kEveryTableStep, 1.5L, 1.5L);
}

TEST(FastTrig, LargeArgumentsUpToTheReductionLimitWithinTwoUlps)
{
    ExpectWithin(kFarRange, 2.0L, 2.0L);
}

TEST(FastTrig, SmallArgumentsAndZeros)
{
    ExpectWithin(kSmall, 0.5L, 0.5L);
    const long double denormal = std::numeric_limits<long double>::denorm_min() * 12345;
    EXPECT_EQ(FastSin(denormal), denormal);
    EXPECT_EQ(FastSin(-denormal), -denormal);
    EXPECT_EQ(FastCos(denormal), 1.0L);
    EXPECT_TRUE(SameBits(FastSin(0.0L), 0.0L));
    EXPECT_TRUE(SameBits(FastSin(-0.0L), -0.0L)) << "sin(-0) keeps its sign";
    EXPECT_EQ(FastCos(-0.0L), 1.0L);
    long double sine, cosine;
    FastSinCos(-0.0L, sine, cosine);
    EXPECT_TRUE(SameBits(sine, -0.0L));
    EXPECT_EQ(cosine, 1.0L);
}

TEST(FastTrig, BeyondTheReductionLimitAndNonFiniteAsTheCLibrary)
{
    const long double inf = std::numeric_limits<long double>::infinity();
    for (const long double x :
         {0x1p22L, -0x1p22L, 0x1.0000000000000002p22L, 1e7L, -3e12L, 0x1p63L, 1e300L, 1e4000L}) {
        EXPECT_TRUE(SameBits(FastSin(x), std::sin(x))) << static_cast<double>(x);
        EXPECT_TRUE(SameBits(FastCos(x), std::cos(x))) << static_cast<double>(x);
    }
    for (const long double x : {inf, -inf, std::numeric_limits<long double>::quiet_NaN()}) {
        EXPECT_TRUE(std::isnan(FastSin(x)));
        EXPECT_TRUE(std::isnan(FastCos(x)));
        long double sine = 0, cosine = 0;
        FastSinCos(x, sine, cosine);
        EXPECT_TRUE(std::isnan(sine) && std::isnan(cosine));
    }
}

// The formula engine uses either; a plot must not change with the choice.
TEST(FastTrig, SinCosGivesTheSameBitsAsSinAndCos)
{
    for (const auto* table :
         {std::begin(kSweep), std::begin(kNearestToMultiplesOfHalfPi), std::begin(kFarRange)}) {
        for (const Expected* e = table; e != table + 30; ++e) {
            long double sine, cosine;
            FastSinCos(e->x, sine, cosine);
            EXPECT_TRUE(SameBits(sine, FastSin(e->x)));
            EXPECT_TRUE(SameBits(cosine, FastCos(e->x)));
        }
    }
}

} // namespace

// The build for any processor and the one with FMA must agree bit for bit,
// so that a plot does not depend on the machine it is drawn on.
TEST(FastTrig, BothBuildsGiveTheSameBits)
{
    using ondrix::parser::FastCosVia;
    using ondrix::parser::FastSinVia;
    using ondrix::parser::TrigPath;
    if (!ondrix::parser::TrigHasFusedPath()) GTEST_SKIP() << "no FMA on this processor";
    const auto expectSame = [](long double x) {
        char text[64];
        std::snprintf(text, sizeof text, "%La", x);
        EXPECT_TRUE(SameBits(FastSinVia(TrigPath::Split, x), FastSinVia(TrigPath::Fused, x))) << "sin " << text;
        EXPECT_TRUE(SameBits(FastCosVia(TrigPath::Split, x), FastCosVia(TrigPath::Fused, x))) << "cos " << text;
    };
    const auto expectSameOver = [&](const auto& table) {
        for (const Expected& e : table)
            expectSame(e.x);
    };
    expectSameOver(kSweep);
    expectSameOver(kNearestToMultiplesOfHalfPi);
    expectSameOver(kCloseToMultiplesOfHalfPi);
    expectSameOver(kEveryTableStep);
    expectSameOver(kFarRange);
    // Every binade of the table-driven range, with full 64-bit mantissas.
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    for (int i = 0; i < 200000; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const long double mantissa = 1 + static_cast<long double>(state >> 1) * 0x1p-63L;
        const long double x = std::ldexp(mantissa, -32 + static_cast<int>(state % 43));
        expectSame(state & 1 ? x : -x);
    }
}

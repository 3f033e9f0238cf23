// A decimal number m * 10^q becomes a double in one of two ways. When m and
// 10^q are both exact doubles, one correctly rounded multiplication or
// division gives the answer. Otherwise m (shifted to its top bit) times the
// top 128 bits of 5^q decides the 53 bits and their rounding in all but a
// handful of cases, which are told apart and handed back (Eisel and Lemire's
// method).

#include "pocketjson/decimal.h"

#include <bit>
#include <limits>

namespace pocketjson {

namespace {

constexpr int kLargestPower = 308;  // above this, one digit is infinite
constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;
constexpr int kInfiniteExponent = 0x7FF;

}  // namespace

// The top 128 bits (high word, low word) of 5^q for q from kSmallestTenPower
// to kLargestTenPower (the writer scales by powers up to 10^345), normalised
// to a set top bit. Negative powers are the truncated reciprocal plus one, so
// that the product is never too small.
// Computed exactly (big integers): for q < 0, floor(2^b / 5^-q) + 1 with
// b = z + 127 (q >= -27) or b = 2z + 128 (q < -27), where 2^z is the smallest
// power of two not below 5^-q, then halved until it fits 128 bits.
constexpr std::uint64_t detail::kPowersOfFive[kLargestTenPower - kSmallestTenPower + 1][2] = {
    {0xeef453d6923bd65aull, 0x113faa2906a13b3full},  // 5^-342
    {0x9558b4661b6565f8ull, 0x4ac7ca59a424c507ull},  // 5^-341
    {0xbaaee17fa23ebf76ull, 0x5d79bcf00d2df649ull},  // 5^-340
    {0xe95a99df8ace6f53ull, 0xf4d82c2c107973dcull},  // 5^-339
    {0x91d8a02bb6c10594ull, 0x79071b9b8a4be869ull},  // 5^-338
    {0xb64ec836a47146f9ull, 0x9748e2826cdee284ull},  // 5^-337
    {0xe3e27a444d8d98b7ull, 0xfd1b1b2308169b25ull},  // 5^-336
    {0x8e6d8c6ab0787f72ull, 0xfe30f0f5e50e20f7ull},  // 5^-335
    {0xb208ef855c969f4full, 0xbdbd2d335e51a935ull},  // 5^-334
    {0xde8b2b66b3bc4723ull, 0xad2c788035e61382ull},  // 5^-333
    {0x8b16fb203055ac76ull, 0x4c3bcb5021afcc31ull},  // 5^-332
    {0xaddcb9e83c6b1793ull, 0xdf4abe242a1bbf3dull},  // 5^-331
    {0xd953e8624b85dd78ull, 0xd71d6dad34a2af0dull},  // 5^-330
    {0x87d4713d6f33aa6bull, 0x8672648c40e5ad68ull},  // 5^-329
    {0xa9c98d8ccb009506ull, 0x680efdaf511f18c2ull},  // 5^-328
    {0xd43bf0effdc0ba48ull, 0x0212bd1b2566def2ull},  // 5^-327
    {0x84a57695fe98746dull, 0x014bb630f7604b57ull},  // 5^-326
    {0xa5ced43b7e3e9188ull, 0x419ea3bd35385e2dull},  // 5^-325
    {0xcf42894a5dce35eaull, 0x52064cac828675b9ull},  // 5^-324
    {0x818995ce7aa0e1b2ull, 0x7343efebd1940993ull},  // 5^-323
    {0xa1ebfb4219491a1full, 0x1014ebe6c5f90bf8ull},  // 5^-322
    {0xca66fa129f9b60a6ull, 0xd41a26e077774ef6ull},  // 5^-321
    {0xfd00b897478238d0ull, 0x8920b098955522b4ull},  // 5^-320
    {0x9e20735e8cb16382ull, 0x55b46e5f5d5535b0ull},  // 5^-319
    {0xc5a890362fddbc62ull, 0xeb2189f734aa831dull},  // 5^-318
    {0xf712b443bbd52b7bull, 0xa5e9ec7501d523e4ull},  // 5^-317
    {0x9a6bb0aa55653b2dull, 0x47b233c92125366eull},  // 5^-316
    {0xc1069cd4eabe89f8ull, 0x999ec0bb696e840aull},  // 5^-315
    {0xf148440a256e2c76ull, 0xc00670ea43ca250dull},  // 5^-314
    {0x96cd2a865764dbcaull, 0x380406926a5e5728ull},  // 5^-313
    {0xbc807527ed3e12bcull, 0xc605083704f5ecf2ull},  // 5^-312
    {0xeba09271e88d976bull, 0xf7864a44c633682eull},  // 5^-311
    {0x93445b8731587ea3ull, 0x7ab3ee6afbe0211dull},  // 5^-310
    {0xb8157268fdae9e4cull, 0x5960ea05bad82964ull},  // 5^-309
    {0xe61acf033d1a45dfull, 0x6fb92487298e33bdull},  // 5^-308
    {0x8fd0c16206306babull, 0xa5d3b6d479f8e056ull},  // 5^-307
    {0xb3c4f1ba87bc8696ull, 0x8f48a4899877186cull},  // 5^-306
    {0xe0b62e2929aba83cull, 0x331acdabfe94de87ull},  // 5^-305
    {0x8c71dcd9ba0b4925ull, 0x9ff0c08b7f1d0b14ull},  // 5^-304
    {0xaf8e5410288e1b6full, 0x07ecf0ae5ee44dd9ull},  // 5^-303
    {0xdb71e91432b1a24aull, 0xc9e82cd9f69d6150ull},  // 5^-302
    {0x892731ac9faf056eull, 0xbe311c083a225cd2ull},  // 5^-301
    {0xab70fe17c79ac6caull, 0x6dbd630a48aaf406ull},  // 5^-300
    {0xd64d3d9db981787dull, 0x092cbbccdad5b108ull},  // 5^-299
    {0x85f0468293f0eb4eull, 0x25bbf56008c58ea5ull},  // 5^-298
    {0xa76c582338ed2621ull, 0xaf2af2b80af6f24eull},  // 5^-297
    {0xd1476e2c07286faaull, 0x1af5af660db4aee1ull},  // 5^-296
    {0x82cca4db847945caull, 0x50d98d9fc890ed4dull},  // 5^-295
    {0xa37fce126597973cull, 0xe50ff107bab528a0ull},  // 5^-294
    {0xcc5fc196fefd7d0cull, 0x1e53ed49a96272c8ull},  // 5^-293
    {0xff77b1fcbebcdc4full, 0x25e8e89c13bb0f7aull},  // 5^-292
    {0x9faacf3df73609b1ull, 0x77b191618c54e9acull},  // 5^-291
    {0xc795830d75038c1dull, 0xd59df5b9ef6a2417ull},  // 5^-290
    {0xf97ae3d0d2446f25ull, 0x4b0573286b44ad1dull},  // 5^-289
    {0x9becce62836ac577ull, 0x4ee367f9430aec32ull},  // 5^-288
    {0xc2e801fb244576d5ull, 0x229c41f793cda73full},  // 5^-287
    {0xf3a20279ed56d48aull, 0x6b43527578c1110full},  // 5^-286
    {0x9845418c345644d6ull, 0x830a13896b78aaa9ull},  // 5^-285
    {0xbe5691ef416bd60cull, 0x23cc986bc656d553ull},  // 5^-284
    {0xedec366b11c6cb8full, 0x2cbfbe86b7ec8aa8ull},  // 5^-283
    {0x94b3a202eb1c3f39ull, 0x7bf7d71432f3d6a9ull},  // 5^-282
    {0xb9e08a83a5e34f07ull, 0xdaf5ccd93fb0cc53ull},  // 5^-281
    {0xe858ad248f5c22c9ull, 0xd1b3400f8f9cff68ull},  // 5^-280
    {0x91376c36d99995beull, 0x23100809b9c21fa1ull},  // 5^-279
    {0xb58547448ffffb2dull, 0xabd40a0c2832a78aull},  // 5^-278
    {0xe2e69915b3fff9f9ull, 0x16c90c8f323f516cull},  // 5^-277
    {0x8dd01fad907ffc3bull, 0xae3da7d97f6792e3ull},  // 5^-276
    {0xb1442798f49ffb4aull, 0x99cd11cfdf41779cull},  // 5^-275
    {0xdd95317f31c7fa1dull, 0x40405643d711d583ull},  // 5^-274
    {0x8a7d3eef7f1cfc52ull, 0x482835ea666b2572ull},  // 5^-273
    {0xad1c8eab5ee43b66ull, 0xda3243650005eecfull},  // 5^-272
    {0xd863b256369d4a40ull, 0x90bed43e40076a82ull},  // 5^-271
    {0x873e4f75e2224e68ull, 0x5a7744a6e804a291ull},  // 5^-270
    {0xa90de3535aaae202ull, 0x711515d0a205cb36ull},  // 5^-269
    {0xd3515c2831559a83ull, 0x0d5a5b44ca873e03ull},  // 5^-268
    {0x8412d9991ed58091ull, 0xe858790afe9486c2ull},  // 5^-267
    {0xa5178fff668ae0b6ull, 0x626e974dbe39a872ull},  // 5^-266
    {0xce5d73ff402d98e3ull, 0xfb0a3d212dc8128full},  // 5^-265
    {0x80fa687f881c7f8eull, 0x7ce66634bc9d0b99ull},  // 5^-264
    {0xa139029f6a239f72ull, 0x1c1fffc1ebc44e80ull},  // 5^-263
    {0xc987434744ac874eull, 0xa327ffb266b56220ull},  // 5^-262
    {0xfbe9141915d7a922ull, 0x4bf1ff9f0062baa8ull},  // 5^-261
    {0x9d71ac8fada6c9b5ull, 0x6f773fc3603db4a9ull},  // 5^-260
    {0xc4ce17b399107c22ull, 0xcb550fb4384d21d3ull},  // 5^-259
    {0xf6019da07f549b2bull, 0x7e2a53a146606a48ull},  // 5^-258
    {0x99c102844f94e0fbull, 0x2eda7444cbfc426dull},  // 5^-257
    {0xc0314325637a1939ull, 0xfa911155fefb5308ull},  // 5^-256
    {0xf03d93eebc589f88ull, 0x793555ab7eba27caull},  // 5^-255
    {0x96267c7535b763b5ull, 0x4bc1558b2f3458deull},  // 5^-254
    {0xbbb01b9283253ca2ull, 0x9eb1aaedfb016f16ull},  // 5^-253
    {0xea9c227723ee8bcbull, 0x465e15a979c1cadcull},  // 5^-252
    {0x92a1958a7675175full, 0x0bfacd89ec191ec9ull},  // 5^-251
    {0xb749faed14125d36ull, 0xcef980ec671f667bull},  // 5^-250
    {0xe51c79a85916f484ull, 0x82b7e12780e7401aull},  // 5^-249
    {0x8f31cc0937ae58d2ull, 0xd1b2ecb8b0908810ull},  // 5^-248
    {0xb2fe3f0b8599ef07ull, 0x861fa7e6dcb4aa15ull},  // 5^-247
    {0xdfbdcece67006ac9ull, 0x67a791e093e1d49aull},  // 5^-246
    {0x8bd6a141006042bdull, 0xe0c8bb2c5c6d24e0ull},  // 5^-245
    {0xaecc49914078536dull, 0x58fae9f773886e18ull},  // 5^-244
    {0xda7f5bf590966848ull, 0xaf39a475506a899eull},  // 5^-243
    {0x888f99797a5e012dull, 0x6d8406c952429603ull},  // 5^-242
    {0xaab37fd7d8f58178ull, 0xc8e5087ba6d33b83ull},  // 5^-241
    {0xd5605fcdcf32e1d6ull, 0xfb1e4a9a90880a64ull},  // 5^-240
    {0x855c3be0a17fcd26ull, 0x5cf2eea09a55067full},  // 5^-239
    {0xa6b34ad8c9dfc06full, 0xf42faa48c0ea481eull},  // 5^-238
    {0xd0601d8efc57b08bull, 0xf13b94daf124da26ull},  // 5^-237
    {0x823c12795db6ce57ull, 0x76c53d08d6b70858ull},  // 5^-236
    {0xa2cb1717b52481edull, 0x54768c4b0c64ca6eull},  // 5^-235
    {0xcb7ddcdda26da268ull, 0xa9942f5dcf7dfd09ull},  // 5^-234
    {0xfe5d54150b090b02ull, 0xd3f93b35435d7c4cull},  // 5^-233
    {0x9efa548d26e5a6e1ull, 0xc47bc5014a1a6dafull},  // 5^-232
    {0xc6b8e9b0709f109aull, 0x359ab6419ca1091bull},  // 5^-231
    {0xf867241c8cc6d4c0ull, 0xc30163d203c94b62ull},  // 5^-230
    {0x9b407691d7fc44f8ull, 0x79e0de63425dcf1dull},  // 5^-229
    {0xc21094364dfb5636ull, 0x985915fc12f542e4ull},  // 5^-228
    {0xf294b943e17a2bc4ull, 0x3e6f5b7b17b2939dull},  // 5^-227
    {0x979cf3ca6cec5b5aull, 0xa705992ceecf9c42ull},  // 5^-226
    {0xbd8430bd08277231ull, 0x50c6ff782a838353ull},  // 5^-225
    {0xece53cec4a314ebdull, 0xa4f8bf5635246428ull},  // 5^-224
    {0x940f4613ae5ed136ull, 0x871b7795e136be99ull},  // 5^-223
    {0xb913179899f68584ull, 0x28e2557b59846e3full},  // 5^-222
    {0xe757dd7ec07426e5ull, 0x331aeada2fe589cfull},  // 5^-221
    {0x9096ea6f3848984full, 0x3ff0d2c85def7621ull},  // 5^-220
    {0xb4bca50b065abe63ull, 0x0fed077a756b53a9ull},  // 5^-219
    {0xe1ebce4dc7f16dfbull, 0xd3e8495912c62894ull},  // 5^-218
    {0x8d3360f09cf6e4bdull, 0x64712dd7abbbd95cull},  // 5^-217
    {0xb080392cc4349decull, 0xbd8d794d96aacfb3ull},  // 5^-216
    {0xdca04777f541c567ull, 0xecf0d7a0fc5583a0ull},  // 5^-215
    {0x89e42caaf9491b60ull, 0xf41686c49db57244ull},  // 5^-214
    {0xac5d37d5b79b6239ull, 0x311c2875c522ced5ull},  // 5^-213
    {0xd77485cb25823ac7ull, 0x7d633293366b828bull},  // 5^-212
    {0x86a8d39ef77164bcull, 0xae5dff9c02033197ull},  // 5^-211
    {0xa8530886b54dbdebull, 0xd9f57f830283fdfcull},  // 5^-210
    {0xd267caa862a12d66ull, 0xd072df63c324fd7bull},  // 5^-209
    {0x8380dea93da4bc60ull, 0x4247cb9e59f71e6dull},  // 5^-208
    {0xa46116538d0deb78ull, 0x52d9be85f074e608ull},  // 5^-207
    {0xcd795be870516656ull, 0x67902e276c921f8bull},  // 5^-206
    {0x806bd9714632dff6ull, 0x00ba1cd8a3db53b6ull},  // 5^-205
    {0xa086cfcd97bf97f3ull, 0x80e8a40eccd228a4ull},  // 5^-204
    {0xc8a883c0fdaf7df0ull, 0x6122cd128006b2cdull},  // 5^-203
    {0xfad2a4b13d1b5d6cull, 0x796b805720085f81ull},  // 5^-202
    {0x9cc3a6eec6311a63ull, 0xcbe3303674053bb0ull},  // 5^-201
    {0xc3f490aa77bd60fcull, 0xbedbfc4411068a9cull},  // 5^-200
    {0xf4f1b4d515acb93bull, 0xee92fb5515482d44ull},  // 5^-199
    {0x991711052d8bf3c5ull, 0x751bdd152d4d1c4aull},  // 5^-198
    {0xbf5cd54678eef0b6ull, 0xd262d45a78a0635dull},  // 5^-197
    {0xef340a98172aace4ull, 0x86fb897116c87c34ull},  // 5^-196
    {0x9580869f0e7aac0eull, 0xd45d35e6ae3d4da0ull},  // 5^-195
    {0xbae0a846d2195712ull, 0x8974836059cca109ull},  // 5^-194
    {0xe998d258869facd7ull, 0x2bd1a438703fc94bull},  // 5^-193
    {0x91ff83775423cc06ull, 0x7b6306a34627ddcfull},  // 5^-192
    {0xb67f6455292cbf08ull, 0x1a3bc84c17b1d542ull},  // 5^-191
    {0xe41f3d6a7377eecaull, 0x20caba5f1d9e4a93ull},  // 5^-190
    {0x8e938662882af53eull, 0x547eb47b7282ee9cull},  // 5^-189
    {0xb23867fb2a35b28dull, 0xe99e619a4f23aa43ull},  // 5^-188
    {0xdec681f9f4c31f31ull, 0x6405fa00e2ec94d4ull},  // 5^-187
    {0x8b3c113c38f9f37eull, 0xde83bc408dd3dd04ull},  // 5^-186
    {0xae0b158b4738705eull, 0x9624ab50b148d445ull},  // 5^-185
    {0xd98ddaee19068c76ull, 0x3badd624dd9b0957ull},  // 5^-184
    {0x87f8a8d4cfa417c9ull, 0xe54ca5d70a80e5d6ull},  // 5^-183
    {0xa9f6d30a038d1dbcull, 0x5e9fcf4ccd211f4cull},  // 5^-182
    {0xd47487cc8470652bull, 0x7647c3200069671full},  // 5^-181
    {0x84c8d4dfd2c63f3bull, 0x29ecd9f40041e073ull},  // 5^-180
    {0xa5fb0a17c777cf09ull, 0xf468107100525890ull},  // 5^-179
    {0xcf79cc9db955c2ccull, 0x7182148d4066eeb4ull},  // 5^-178
    {0x81ac1fe293d599bfull, 0xc6f14cd848405530ull},  // 5^-177
    {0xa21727db38cb002full, 0xb8ada00e5a506a7cull},  // 5^-176
    {0xca9cf1d206fdc03bull, 0xa6d90811f0e4851cull},  // 5^-175
    {0xfd442e4688bd304aull, 0x908f4a166d1da663ull},  // 5^-174
    {0x9e4a9cec15763e2eull, 0x9a598e4e043287feull},  // 5^-173
    {0xc5dd44271ad3cdbaull, 0x40eff1e1853f29fdull},  // 5^-172
    {0xf7549530e188c128ull, 0xd12bee59e68ef47cull},  // 5^-171
    {0x9a94dd3e8cf578b9ull, 0x82bb74f8301958ceull},  // 5^-170
    {0xc13a148e3032d6e7ull, 0xe36a52363c1faf01ull},  // 5^-169
    {0xf18899b1bc3f8ca1ull, 0xdc44e6c3cb279ac1ull},  // 5^-168
    {0x96f5600f15a7b7e5ull, 0x29ab103a5ef8c0b9ull},  // 5^-167
    {0xbcb2b812db11a5deull, 0x7415d448f6b6f0e7ull},  // 5^-166
    {0xebdf661791d60f56ull, 0x111b495b3464ad21ull},  // 5^-165
    {0x936b9fcebb25c995ull, 0xcab10dd900beec34ull},  // 5^-164
    {0xb84687c269ef3bfbull, 0x3d5d514f40eea742ull},  // 5^-163
    {0xe65829b3046b0afaull, 0x0cb4a5a3112a5112ull},  // 5^-162
    {0x8ff71a0fe2c2e6dcull, 0x47f0e785eaba72abull},  // 5^-161
    {0xb3f4e093db73a093ull, 0x59ed216765690f56ull},  // 5^-160
    {0xe0f218b8d25088b8ull, 0x306869c13ec3532cull},  // 5^-159
    {0x8c974f7383725573ull, 0x1e414218c73a13fbull},  // 5^-158
    {0xafbd2350644eeacfull, 0xe5d1929ef90898faull},  // 5^-157
    {0xdbac6c247d62a583ull, 0xdf45f746b74abf39ull},  // 5^-156
    {0x894bc396ce5da772ull, 0x6b8bba8c328eb783ull},  // 5^-155
    {0xab9eb47c81f5114full, 0x066ea92f3f326564ull},  // 5^-154
    {0xd686619ba27255a2ull, 0xc80a537b0efefebdull},  // 5^-153
    {0x8613fd0145877585ull, 0xbd06742ce95f5f36ull},  // 5^-152
    {0xa798fc4196e952e7ull, 0x2c48113823b73704ull},  // 5^-151
    {0xd17f3b51fca3a7a0ull, 0xf75a15862ca504c5ull},  // 5^-150
    {0x82ef85133de648c4ull, 0x9a984d73dbe722fbull},  // 5^-149
    {0xa3ab66580d5fdaf5ull, 0xc13e60d0d2e0ebbaull},  // 5^-148
    {0xcc963fee10b7d1b3ull, 0x318df905079926a8ull},  // 5^-147
    {0xffbbcfe994e5c61full, 0xfdf17746497f7052ull},  // 5^-146
    {0x9fd561f1fd0f9bd3ull, 0xfeb6ea8bedefa633ull},  // 5^-145
    {0xc7caba6e7c5382c8ull, 0xfe64a52ee96b8fc0ull},  // 5^-144
    {0xf9bd690a1b68637bull, 0x3dfdce7aa3c673b0ull},  // 5^-143
    {0x9c1661a651213e2dull, 0x06bea10ca65c084eull},  // 5^-142
    {0xc31bfa0fe5698db8ull, 0x486e494fcff30a62ull},  // 5^-141
    {0xf3e2f893dec3f126ull, 0x5a89dba3c3efccfaull},  // 5^-140
    {0x986ddb5c6b3a76b7ull, 0xf89629465a75e01cull},  // 5^-139
    {0xbe89523386091465ull, 0xf6bbb397f1135823ull},  // 5^-138
    {0xee2ba6c0678b597full, 0x746aa07ded582e2cull},  // 5^-137
    {0x94db483840b717efull, 0xa8c2a44eb4571cdcull},  // 5^-136
    {0xba121a4650e4ddebull, 0x92f34d62616ce413ull},  // 5^-135
    {0xe896a0d7e51e1566ull, 0x77b020baf9c81d17ull},  // 5^-134
    {0x915e2486ef32cd60ull, 0x0ace1474dc1d122eull},  // 5^-133
    {0xb5b5ada8aaff80b8ull, 0x0d819992132456baull},  // 5^-132
    {0xe3231912d5bf60e6ull, 0x10e1fff697ed6c69ull},  // 5^-131
    {0x8df5efabc5979c8full, 0xca8d3ffa1ef463c1ull},  // 5^-130
    {0xb1736b96b6fd83b3ull, 0xbd308ff8a6b17cb2ull},  // 5^-129
    {0xddd0467c64bce4a0ull, 0xac7cb3f6d05ddbdeull},  // 5^-128
    {0x8aa22c0dbef60ee4ull, 0x6bcdf07a423aa96bull},  // 5^-127
    {0xad4ab7112eb3929dull, 0x86c16c98d2c953c6ull},  // 5^-126
    {0xd89d64d57a607744ull, 0xe871c7bf077ba8b7ull},  // 5^-125
    {0x87625f056c7c4a8bull, 0x11471cd764ad4972ull},  // 5^-124
    {0xa93af6c6c79b5d2dull, 0xd598e40d3dd89bcfull},  // 5^-123
    {0xd389b47879823479ull, 0x4aff1d108d4ec2c3ull},  // 5^-122
    {0x843610cb4bf160cbull, 0xcedf722a585139baull},  // 5^-121
    {0xa54394fe1eedb8feull, 0xc2974eb4ee658828ull},  // 5^-120
    {0xce947a3da6a9273eull, 0x733d226229feea32ull},  // 5^-119
    {0x811ccc668829b887ull, 0x0806357d5a3f525full},  // 5^-118
    {0xa163ff802a3426a8ull, 0xca07c2dcb0cf26f7ull},  // 5^-117
    {0xc9bcff6034c13052ull, 0xfc89b393dd02f0b5ull},  // 5^-116
    {0xfc2c3f3841f17c67ull, 0xbbac2078d443ace2ull},  // 5^-115
    {0x9d9ba7832936edc0ull, 0xd54b944b84aa4c0dull},  // 5^-114
    {0xc5029163f384a931ull, 0x0a9e795e65d4df11ull},  // 5^-113
    {0xf64335bcf065d37dull, 0x4d4617b5ff4a16d5ull},  // 5^-112
    {0x99ea0196163fa42eull, 0x504bced1bf8e4e45ull},  // 5^-111
    {0xc06481fb9bcf8d39ull, 0xe45ec2862f71e1d6ull},  // 5^-110
    {0xf07da27a82c37088ull, 0x5d767327bb4e5a4cull},  // 5^-109
    {0x964e858c91ba2655ull, 0x3a6a07f8d510f86full},  // 5^-108
    {0xbbe226efb628afeaull, 0x890489f70a55368bull},  // 5^-107
    {0xeadab0aba3b2dbe5ull, 0x2b45ac74ccea842eull},  // 5^-106
    {0x92c8ae6b464fc96full, 0x3b0b8bc90012929dull},  // 5^-105
    {0xb77ada0617e3bbcbull, 0x09ce6ebb40173744ull},  // 5^-104
    {0xe55990879ddcaabdull, 0xcc420a6a101d0515ull},  // 5^-103
    {0x8f57fa54c2a9eab6ull, 0x9fa946824a12232dull},  // 5^-102
    {0xb32df8e9f3546564ull, 0x47939822dc96abf9ull},  // 5^-101
    {0xdff9772470297ebdull, 0x59787e2b93bc56f7ull},  // 5^-100
    {0x8bfbea76c619ef36ull, 0x57eb4edb3c55b65aull},  // 5^-99
    {0xaefae51477a06b03ull, 0xede622920b6b23f1ull},  // 5^-98
    {0xdab99e59958885c4ull, 0xe95fab368e45ecedull},  // 5^-97
    {0x88b402f7fd75539bull, 0x11dbcb0218ebb414ull},  // 5^-96
    {0xaae103b5fcd2a881ull, 0xd652bdc29f26a119ull},  // 5^-95
    {0xd59944a37c0752a2ull, 0x4be76d3346f0495full},  // 5^-94
    {0x857fcae62d8493a5ull, 0x6f70a4400c562ddbull},  // 5^-93
    {0xa6dfbd9fb8e5b88eull, 0xcb4ccd500f6bb952ull},  // 5^-92
    {0xd097ad07a71f26b2ull, 0x7e2000a41346a7a7ull},  // 5^-91
    {0x825ecc24c873782full, 0x8ed400668c0c28c8ull},  // 5^-90
    {0xa2f67f2dfa90563bull, 0x728900802f0f32faull},  // 5^-89
    {0xcbb41ef979346bcaull, 0x4f2b40a03ad2ffb9ull},  // 5^-88
    {0xfea126b7d78186bcull, 0xe2f610c84987bfa8ull},  // 5^-87
    {0x9f24b832e6b0f436ull, 0x0dd9ca7d2df4d7c9ull},  // 5^-86
    {0xc6ede63fa05d3143ull, 0x91503d1c79720dbbull},  // 5^-85
    {0xf8a95fcf88747d94ull, 0x75a44c6397ce912aull},  // 5^-84
    {0x9b69dbe1b548ce7cull, 0xc986afbe3ee11abaull},  // 5^-83
    {0xc24452da229b021bull, 0xfbe85badce996168ull},  // 5^-82
    {0xf2d56790ab41c2a2ull, 0xfae27299423fb9c3ull},  // 5^-81
    {0x97c560ba6b0919a5ull, 0xdccd879fc967d41aull},  // 5^-80
    {0xbdb6b8e905cb600full, 0x5400e987bbc1c920ull},  // 5^-79
    {0xed246723473e3813ull, 0x290123e9aab23b68ull},  // 5^-78
    {0x9436c0760c86e30bull, 0xf9a0b6720aaf6521ull},  // 5^-77
    {0xb94470938fa89bceull, 0xf808e40e8d5b3e69ull},  // 5^-76
    {0xe7958cb87392c2c2ull, 0xb60b1d1230b20e04ull},  // 5^-75
    {0x90bd77f3483bb9b9ull, 0xb1c6f22b5e6f48c2ull},  // 5^-74
    {0xb4ecd5f01a4aa828ull, 0x1e38aeb6360b1af3ull},  // 5^-73
    {0xe2280b6c20dd5232ull, 0x25c6da63c38de1b0ull},  // 5^-72
    {0x8d590723948a535full, 0x579c487e5a38ad0eull},  // 5^-71
    {0xb0af48ec79ace837ull, 0x2d835a9df0c6d851ull},  // 5^-70
    {0xdcdb1b2798182244ull, 0xf8e431456cf88e65ull},  // 5^-69
    {0x8a08f0f8bf0f156bull, 0x1b8e9ecb641b58ffull},  // 5^-68
    {0xac8b2d36eed2dac5ull, 0xe272467e3d222f3full},  // 5^-67
    {0xd7adf884aa879177ull, 0x5b0ed81dcc6abb0full},  // 5^-66
    {0x86ccbb52ea94baeaull, 0x98e947129fc2b4e9ull},  // 5^-65
    {0xa87fea27a539e9a5ull, 0x3f2398d747b36224ull},  // 5^-64
    {0xd29fe4b18e88640eull, 0x8eec7f0d19a03aadull},  // 5^-63
    {0x83a3eeeef9153e89ull, 0x1953cf68300424acull},  // 5^-62
    {0xa48ceaaab75a8e2bull, 0x5fa8c3423c052dd7ull},  // 5^-61
    {0xcdb02555653131b6ull, 0x3792f412cb06794dull},  // 5^-60
    {0x808e17555f3ebf11ull, 0xe2bbd88bbee40bd0ull},  // 5^-59
    {0xa0b19d2ab70e6ed6ull, 0x5b6aceaeae9d0ec4ull},  // 5^-58
    {0xc8de047564d20a8bull, 0xf245825a5a445275ull},  // 5^-57
    {0xfb158592be068d2eull, 0xeed6e2f0f0d56712ull},  // 5^-56
    {0x9ced737bb6c4183dull, 0x55464dd69685606bull},  // 5^-55
    {0xc428d05aa4751e4cull, 0xaa97e14c3c26b886ull},  // 5^-54
    {0xf53304714d9265dfull, 0xd53dd99f4b3066a8ull},  // 5^-53
    {0x993fe2c6d07b7fabull, 0xe546a8038efe4029ull},  // 5^-52
    {0xbf8fdb78849a5f96ull, 0xde98520472bdd033ull},  // 5^-51
    {0xef73d256a5c0f77cull, 0x963e66858f6d4440ull},  // 5^-50
    {0x95a8637627989aadull, 0xdde7001379a44aa8ull},  // 5^-49
    {0xbb127c53b17ec159ull, 0x5560c018580d5d52ull},  // 5^-48
    {0xe9d71b689dde71afull, 0xaab8f01e6e10b4a6ull},  // 5^-47
    {0x9226712162ab070dull, 0xcab3961304ca70e8ull},  // 5^-46
    {0xb6b00d69bb55c8d1ull, 0x3d607b97c5fd0d22ull},  // 5^-45
    {0xe45c10c42a2b3b05ull, 0x8cb89a7db77c506aull},  // 5^-44
    {0x8eb98a7a9a5b04e3ull, 0x77f3608e92adb242ull},  // 5^-43
    {0xb267ed1940f1c61cull, 0x55f038b237591ed3ull},  // 5^-42
    {0xdf01e85f912e37a3ull, 0x6b6c46dec52f6688ull},  // 5^-41
    {0x8b61313bbabce2c6ull, 0x2323ac4b3b3da015ull},  // 5^-40
    {0xae397d8aa96c1b77ull, 0xabec975e0a0d081aull},  // 5^-39
    {0xd9c7dced53c72255ull, 0x96e7bd358c904a21ull},  // 5^-38
    {0x881cea14545c7575ull, 0x7e50d64177da2e54ull},  // 5^-37
    {0xaa242499697392d2ull, 0xdde50bd1d5d0b9e9ull},  // 5^-36
    {0xd4ad2dbfc3d07787ull, 0x955e4ec64b44e864ull},  // 5^-35
    {0x84ec3c97da624ab4ull, 0xbd5af13bef0b113eull},  // 5^-34
    {0xa6274bbdd0fadd61ull, 0xecb1ad8aeacdd58eull},  // 5^-33
    {0xcfb11ead453994baull, 0x67de18eda5814af2ull},  // 5^-32
    {0x81ceb32c4b43fcf4ull, 0x80eacf948770ced7ull},  // 5^-31
    {0xa2425ff75e14fc31ull, 0xa1258379a94d028dull},  // 5^-30
    {0xcad2f7f5359a3b3eull, 0x096ee45813a04330ull},  // 5^-29
    {0xfd87b5f28300ca0dull, 0x8bca9d6e188853fcull},  // 5^-28
    {0x9e74d1b791e07e48ull, 0x775ea264cf55347eull},  // 5^-27
    {0xc612062576589ddaull, 0x95364afe032a819eull},  // 5^-26
    {0xf79687aed3eec551ull, 0x3a83ddbd83f52205ull},  // 5^-25
    {0x9abe14cd44753b52ull, 0xc4926a9672793543ull},  // 5^-24
    {0xc16d9a0095928a27ull, 0x75b7053c0f178294ull},  // 5^-23
    {0xf1c90080baf72cb1ull, 0x5324c68b12dd6339ull},  // 5^-22
    {0x971da05074da7beeull, 0xd3f6fc16ebca5e04ull},  // 5^-21
    {0xbce5086492111aeaull, 0x88f4bb1ca6bcf585ull},  // 5^-20
    {0xec1e4a7db69561a5ull, 0x2b31e9e3d06c32e6ull},  // 5^-19
    {0x9392ee8e921d5d07ull, 0x3aff322e62439fd0ull},  // 5^-18
    {0xb877aa3236a4b449ull, 0x09befeb9fad487c3ull},  // 5^-17
    {0xe69594bec44de15bull, 0x4c2ebe687989a9b4ull},  // 5^-16
    {0x901d7cf73ab0acd9ull, 0x0f9d37014bf60a11ull},  // 5^-15
    {0xb424dc35095cd80full, 0x538484c19ef38c95ull},  // 5^-14
    {0xe12e13424bb40e13ull, 0x2865a5f206b06fbaull},  // 5^-13
    {0x8cbccc096f5088cbull, 0xf93f87b7442e45d4ull},  // 5^-12
    {0xafebff0bcb24aafeull, 0xf78f69a51539d749ull},  // 5^-11
    {0xdbe6fecebdedd5beull, 0xb573440e5a884d1cull},  // 5^-10
    {0x89705f4136b4a597ull, 0x31680a88f8953031ull},  // 5^-9
    {0xabcc77118461cefcull, 0xfdc20d2b36ba7c3eull},  // 5^-8
    {0xd6bf94d5e57a42bcull, 0x3d32907604691b4dull},  // 5^-7
    {0x8637bd05af6c69b5ull, 0xa63f9a49c2c1b110ull},  // 5^-6
    {0xa7c5ac471b478423ull, 0x0fcf80dc33721d54ull},  // 5^-5
    {0xd1b71758e219652bull, 0xd3c36113404ea4a9ull},  // 5^-4
    {0x83126e978d4fdf3bull, 0x645a1cac083126eaull},  // 5^-3
    {0xa3d70a3d70a3d70aull, 0x3d70a3d70a3d70a4ull},  // 5^-2
    {0xccccccccccccccccull, 0xcccccccccccccccdull},  // 5^-1
    {0x8000000000000000ull, 0x0000000000000000ull},  // 5^0
    {0xa000000000000000ull, 0x0000000000000000ull},  // 5^1
    {0xc800000000000000ull, 0x0000000000000000ull},  // 5^2
    {0xfa00000000000000ull, 0x0000000000000000ull},  // 5^3
    {0x9c40000000000000ull, 0x0000000000000000ull},  // 5^4
    {0xc350000000000000ull, 0x0000000000000000ull},  // 5^5
    {0xf424000000000000ull, 0x0000000000000000ull},  // 5^6
    {0x9896800000000000ull, 0x0000000000000000ull},  // 5^7
    {0xbebc200000000000ull, 0x0000000000000000ull},  // 5^8
    {0xee6b280000000000ull, 0x0000000000000000ull},  // 5^9
    {0x9502f90000000000ull, 0x0000000000000000ull},  // 5^10
    {0xba43b74000000000ull, 0x0000000000000000ull},  // 5^11
    {0xe8d4a51000000000ull, 0x0000000000000000ull},  // 5^12
    {0x9184e72a00000000ull, 0x0000000000000000ull},  // 5^13
    {0xb5e620f480000000ull, 0x0000000000000000ull},  // 5^14
    {0xe35fa931a0000000ull, 0x0000000000000000ull},  // 5^15
    {0x8e1bc9bf04000000ull, 0x0000000000000000ull},  // 5^16
    {0xb1a2bc2ec5000000ull, 0x0000000000000000ull},  // 5^17
    {0xde0b6b3a76400000ull, 0x0000000000000000ull},  // 5^18
    {0x8ac7230489e80000ull, 0x0000000000000000ull},  // 5^19
    {0xad78ebc5ac620000ull, 0x0000000000000000ull},  // 5^20
    {0xd8d726b7177a8000ull, 0x0000000000000000ull},  // 5^21
    {0x878678326eac9000ull, 0x0000000000000000ull},  // 5^22
    {0xa968163f0a57b400ull, 0x0000000000000000ull},  // 5^23
    {0xd3c21bcecceda100ull, 0x0000000000000000ull},  // 5^24
    {0x84595161401484a0ull, 0x0000000000000000ull},  // 5^25
    {0xa56fa5b99019a5c8ull, 0x0000000000000000ull},  // 5^26
    {0xcecb8f27f4200f3aull, 0x0000000000000000ull},  // 5^27
    {0x813f3978f8940984ull, 0x4000000000000000ull},  // 5^28
    {0xa18f07d736b90be5ull, 0x5000000000000000ull},  // 5^29
    {0xc9f2c9cd04674edeull, 0xa400000000000000ull},  // 5^30
    {0xfc6f7c4045812296ull, 0x4d00000000000000ull},  // 5^31
    {0x9dc5ada82b70b59dull, 0xf020000000000000ull},  // 5^32
    {0xc5371912364ce305ull, 0x6c28000000000000ull},  // 5^33
    {0xf684df56c3e01bc6ull, 0xc732000000000000ull},  // 5^34
    {0x9a130b963a6c115cull, 0x3c7f400000000000ull},  // 5^35
    {0xc097ce7bc90715b3ull, 0x4b9f100000000000ull},  // 5^36
    {0xf0bdc21abb48db20ull, 0x1e86d40000000000ull},  // 5^37
    {0x96769950b50d88f4ull, 0x1314448000000000ull},  // 5^38
    {0xbc143fa4e250eb31ull, 0x17d955a000000000ull},  // 5^39
    {0xeb194f8e1ae525fdull, 0x5dcfab0800000000ull},  // 5^40
    {0x92efd1b8d0cf37beull, 0x5aa1cae500000000ull},  // 5^41
    {0xb7abc627050305adull, 0xf14a3d9e40000000ull},  // 5^42
    {0xe596b7b0c643c719ull, 0x6d9ccd05d0000000ull},  // 5^43
    {0x8f7e32ce7bea5c6full, 0xe4820023a2000000ull},  // 5^44
    {0xb35dbf821ae4f38bull, 0xdda2802c8a800000ull},  // 5^45
    {0xe0352f62a19e306eull, 0xd50b2037ad200000ull},  // 5^46
    {0x8c213d9da502de45ull, 0x4526f422cc340000ull},  // 5^47
    {0xaf298d050e4395d6ull, 0x9670b12b7f410000ull},  // 5^48
    {0xdaf3f04651d47b4cull, 0x3c0cdd765f114000ull},  // 5^49
    {0x88d8762bf324cd0full, 0xa5880a69fb6ac800ull},  // 5^50
    {0xab0e93b6efee0053ull, 0x8eea0d047a457a00ull},  // 5^51
    {0xd5d238a4abe98068ull, 0x72a4904598d6d880ull},  // 5^52
    {0x85a36366eb71f041ull, 0x47a6da2b7f864750ull},  // 5^53
    {0xa70c3c40a64e6c51ull, 0x999090b65f67d924ull},  // 5^54
    {0xd0cf4b50cfe20765ull, 0xfff4b4e3f741cf6dull},  // 5^55
    {0x82818f1281ed449full, 0xbff8f10e7a8921a4ull},  // 5^56
    {0xa321f2d7226895c7ull, 0xaff72d52192b6a0dull},  // 5^57
    {0xcbea6f8ceb02bb39ull, 0x9bf4f8a69f764490ull},  // 5^58
    {0xfee50b7025c36a08ull, 0x02f236d04753d5b4ull},  // 5^59
    {0x9f4f2726179a2245ull, 0x01d762422c946590ull},  // 5^60
    {0xc722f0ef9d80aad6ull, 0x424d3ad2b7b97ef5ull},  // 5^61
    {0xf8ebad2b84e0d58bull, 0xd2e0898765a7deb2ull},  // 5^62
    {0x9b934c3b330c8577ull, 0x63cc55f49f88eb2full},  // 5^63
    {0xc2781f49ffcfa6d5ull, 0x3cbf6b71c76b25fbull},  // 5^64
    {0xf316271c7fc3908aull, 0x8bef464e3945ef7aull},  // 5^65
    {0x97edd871cfda3a56ull, 0x97758bf0e3cbb5acull},  // 5^66
    {0xbde94e8e43d0c8ecull, 0x3d52eeed1cbea317ull},  // 5^67
    {0xed63a231d4c4fb27ull, 0x4ca7aaa863ee4bddull},  // 5^68
    {0x945e455f24fb1cf8ull, 0x8fe8caa93e74ef6aull},  // 5^69
    {0xb975d6b6ee39e436ull, 0xb3e2fd538e122b44ull},  // 5^70
    {0xe7d34c64a9c85d44ull, 0x60dbbca87196b616ull},  // 5^71
    {0x90e40fbeea1d3a4aull, 0xbc8955e946fe31cdull},  // 5^72
    {0xb51d13aea4a488ddull, 0x6babab6398bdbe41ull},  // 5^73
    {0xe264589a4dcdab14ull, 0xc696963c7eed2dd1ull},  // 5^74
    {0x8d7eb76070a08aecull, 0xfc1e1de5cf543ca2ull},  // 5^75
    {0xb0de65388cc8ada8ull, 0x3b25a55f43294bcbull},  // 5^76
    {0xdd15fe86affad912ull, 0x49ef0eb713f39ebeull},  // 5^77
    {0x8a2dbf142dfcc7abull, 0x6e3569326c784337ull},  // 5^78
    {0xacb92ed9397bf996ull, 0x49c2c37f07965404ull},  // 5^79
    {0xd7e77a8f87daf7fbull, 0xdc33745ec97be906ull},  // 5^80
    {0x86f0ac99b4e8dafdull, 0x69a028bb3ded71a3ull},  // 5^81
    {0xa8acd7c0222311bcull, 0xc40832ea0d68ce0cull},  // 5^82
    {0xd2d80db02aabd62bull, 0xf50a3fa490c30190ull},  // 5^83
    {0x83c7088e1aab65dbull, 0x792667c6da79e0faull},  // 5^84
    {0xa4b8cab1a1563f52ull, 0x577001b891185938ull},  // 5^85
    {0xcde6fd5e09abcf26ull, 0xed4c0226b55e6f86ull},  // 5^86
    {0x80b05e5ac60b6178ull, 0x544f8158315b05b4ull},  // 5^87
    {0xa0dc75f1778e39d6ull, 0x696361ae3db1c721ull},  // 5^88
    {0xc913936dd571c84cull, 0x03bc3a19cd1e38e9ull},  // 5^89
    {0xfb5878494ace3a5full, 0x04ab48a04065c723ull},  // 5^90
    {0x9d174b2dcec0e47bull, 0x62eb0d64283f9c76ull},  // 5^91
    {0xc45d1df942711d9aull, 0x3ba5d0bd324f8394ull},  // 5^92
    {0xf5746577930d6500ull, 0xca8f44ec7ee36479ull},  // 5^93
    {0x9968bf6abbe85f20ull, 0x7e998b13cf4e1ecbull},  // 5^94
    {0xbfc2ef456ae276e8ull, 0x9e3fedd8c321a67eull},  // 5^95
    {0xefb3ab16c59b14a2ull, 0xc5cfe94ef3ea101eull},  // 5^96
    {0x95d04aee3b80ece5ull, 0xbba1f1d158724a12ull},  // 5^97
    {0xbb445da9ca61281full, 0x2a8a6e45ae8edc97ull},  // 5^98
    {0xea1575143cf97226ull, 0xf52d09d71a3293bdull},  // 5^99
    {0x924d692ca61be758ull, 0x593c2626705f9c56ull},  // 5^100
    {0xb6e0c377cfa2e12eull, 0x6f8b2fb00c77836cull},  // 5^101
    {0xe498f455c38b997aull, 0x0b6dfb9c0f956447ull},  // 5^102
    {0x8edf98b59a373fecull, 0x4724bd4189bd5eacull},  // 5^103
    {0xb2977ee300c50fe7ull, 0x58edec91ec2cb657ull},  // 5^104
    {0xdf3d5e9bc0f653e1ull, 0x2f2967b66737e3edull},  // 5^105
    {0x8b865b215899f46cull, 0xbd79e0d20082ee74ull},  // 5^106
    {0xae67f1e9aec07187ull, 0xecd8590680a3aa11ull},  // 5^107
    {0xda01ee641a708de9ull, 0xe80e6f4820cc9495ull},  // 5^108
    {0x884134fe908658b2ull, 0x3109058d147fdcddull},  // 5^109
    {0xaa51823e34a7eedeull, 0xbd4b46f0599fd415ull},  // 5^110
    {0xd4e5e2cdc1d1ea96ull, 0x6c9e18ac7007c91aull},  // 5^111
    {0x850fadc09923329eull, 0x03e2cf6bc604ddb0ull},  // 5^112
    {0xa6539930bf6bff45ull, 0x84db8346b786151cull},  // 5^113
    {0xcfe87f7cef46ff16ull, 0xe612641865679a63ull},  // 5^114
    {0x81f14fae158c5f6eull, 0x4fcb7e8f3f60c07eull},  // 5^115
    {0xa26da3999aef7749ull, 0xe3be5e330f38f09dull},  // 5^116
    {0xcb090c8001ab551cull, 0x5cadf5bfd3072cc5ull},  // 5^117
    {0xfdcb4fa002162a63ull, 0x73d9732fc7c8f7f6ull},  // 5^118
    {0x9e9f11c4014dda7eull, 0x2867e7fddcdd9afaull},  // 5^119
    {0xc646d63501a1511dull, 0xb281e1fd541501b8ull},  // 5^120
    {0xf7d88bc24209a565ull, 0x1f225a7ca91a4226ull},  // 5^121
    {0x9ae757596946075full, 0x3375788de9b06958ull},  // 5^122
    {0xc1a12d2fc3978937ull, 0x0052d6b1641c83aeull},  // 5^123
    {0xf209787bb47d6b84ull, 0xc0678c5dbd23a49aull},  // 5^124
    {0x9745eb4d50ce6332ull, 0xf840b7ba963646e0ull},  // 5^125
    {0xbd176620a501fbffull, 0xb650e5a93bc3d898ull},  // 5^126
    {0xec5d3fa8ce427affull, 0xa3e51f138ab4cebeull},  // 5^127
    {0x93ba47c980e98cdfull, 0xc66f336c36b10137ull},  // 5^128
    {0xb8a8d9bbe123f017ull, 0xb80b0047445d4184ull},  // 5^129
    {0xe6d3102ad96cec1dull, 0xa60dc059157491e5ull},  // 5^130
    {0x9043ea1ac7e41392ull, 0x87c89837ad68db2full},  // 5^131
    {0xb454e4a179dd1877ull, 0x29babe4598c311fbull},  // 5^132
    {0xe16a1dc9d8545e94ull, 0xf4296dd6fef3d67aull},  // 5^133
    {0x8ce2529e2734bb1dull, 0x1899e4a65f58660cull},  // 5^134
    {0xb01ae745b101e9e4ull, 0x5ec05dcff72e7f8full},  // 5^135
    {0xdc21a1171d42645dull, 0x76707543f4fa1f73ull},  // 5^136
    {0x899504ae72497ebaull, 0x6a06494a791c53a8ull},  // 5^137
    {0xabfa45da0edbde69ull, 0x0487db9d17636892ull},  // 5^138
    {0xd6f8d7509292d603ull, 0x45a9d2845d3c42b6ull},  // 5^139
    {0x865b86925b9bc5c2ull, 0x0b8a2392ba45a9b2ull},  // 5^140
    {0xa7f26836f282b732ull, 0x8e6cac7768d7141eull},  // 5^141
    {0xd1ef0244af2364ffull, 0x3207d795430cd926ull},  // 5^142
    {0x8335616aed761f1full, 0x7f44e6bd49e807b8ull},  // 5^143
    {0xa402b9c5a8d3a6e7ull, 0x5f16206c9c6209a6ull},  // 5^144
    {0xcd036837130890a1ull, 0x36dba887c37a8c0full},  // 5^145
    {0x802221226be55a64ull, 0xc2494954da2c9789ull},  // 5^146
    {0xa02aa96b06deb0fdull, 0xf2db9baa10b7bd6cull},  // 5^147
    {0xc83553c5c8965d3dull, 0x6f92829494e5acc7ull},  // 5^148
    {0xfa42a8b73abbf48cull, 0xcb772339ba1f17f9ull},  // 5^149
    {0x9c69a97284b578d7ull, 0xff2a760414536efbull},  // 5^150
    {0xc38413cf25e2d70dull, 0xfef5138519684abaull},  // 5^151
    {0xf46518c2ef5b8cd1ull, 0x7eb258665fc25d69ull},  // 5^152
    {0x98bf2f79d5993802ull, 0xef2f773ffbd97a61ull},  // 5^153
    {0xbeeefb584aff8603ull, 0xaafb550ffacfd8faull},  // 5^154
    {0xeeaaba2e5dbf6784ull, 0x95ba2a53f983cf38ull},  // 5^155
    {0x952ab45cfa97a0b2ull, 0xdd945a747bf26183ull},  // 5^156
    {0xba756174393d88dfull, 0x94f971119aeef9e4ull},  // 5^157
    {0xe912b9d1478ceb17ull, 0x7a37cd5601aab85dull},  // 5^158
    {0x91abb422ccb812eeull, 0xac62e055c10ab33aull},  // 5^159
    {0xb616a12b7fe617aaull, 0x577b986b314d6009ull},  // 5^160
    {0xe39c49765fdf9d94ull, 0xed5a7e85fda0b80bull},  // 5^161
    {0x8e41ade9fbebc27dull, 0x14588f13be847307ull},  // 5^162
    {0xb1d219647ae6b31cull, 0x596eb2d8ae258fc8ull},  // 5^163
    {0xde469fbd99a05fe3ull, 0x6fca5f8ed9aef3bbull},  // 5^164
    {0x8aec23d680043beeull, 0x25de7bb9480d5854ull},  // 5^165
    {0xada72ccc20054ae9ull, 0xaf561aa79a10ae6aull},  // 5^166
    {0xd910f7ff28069da4ull, 0x1b2ba1518094da04ull},  // 5^167
    {0x87aa9aff79042286ull, 0x90fb44d2f05d0842ull},  // 5^168
    {0xa99541bf57452b28ull, 0x353a1607ac744a53ull},  // 5^169
    {0xd3fa922f2d1675f2ull, 0x42889b8997915ce8ull},  // 5^170
    {0x847c9b5d7c2e09b7ull, 0x69956135febada11ull},  // 5^171
    {0xa59bc234db398c25ull, 0x43fab9837e699095ull},  // 5^172
    {0xcf02b2c21207ef2eull, 0x94f967e45e03f4bbull},  // 5^173
    {0x8161afb94b44f57dull, 0x1d1be0eebac278f5ull},  // 5^174
    {0xa1ba1ba79e1632dcull, 0x6462d92a69731732ull},  // 5^175
    {0xca28a291859bbf93ull, 0x7d7b8f7503cfdcfeull},  // 5^176
    {0xfcb2cb35e702af78ull, 0x5cda735244c3d43eull},  // 5^177
    {0x9defbf01b061adabull, 0x3a0888136afa64a7ull},  // 5^178
    {0xc56baec21c7a1916ull, 0x088aaa1845b8fdd0ull},  // 5^179
    {0xf6c69a72a3989f5bull, 0x8aad549e57273d45ull},  // 5^180
    {0x9a3c2087a63f6399ull, 0x36ac54e2f678864bull},  // 5^181
    {0xc0cb28a98fcf3c7full, 0x84576a1bb416a7ddull},  // 5^182
    {0xf0fdf2d3f3c30b9full, 0x656d44a2a11c51d5ull},  // 5^183
    {0x969eb7c47859e743ull, 0x9f644ae5a4b1b325ull},  // 5^184
    {0xbc4665b596706114ull, 0x873d5d9f0dde1feeull},  // 5^185
    {0xeb57ff22fc0c7959ull, 0xa90cb506d155a7eaull},  // 5^186
    {0x9316ff75dd87cbd8ull, 0x09a7f12442d588f2ull},  // 5^187
    {0xb7dcbf5354e9beceull, 0x0c11ed6d538aeb2full},  // 5^188
    {0xe5d3ef282a242e81ull, 0x8f1668c8a86da5faull},  // 5^189
    {0x8fa475791a569d10ull, 0xf96e017d694487bcull},  // 5^190
    {0xb38d92d760ec4455ull, 0x37c981dcc395a9acull},  // 5^191
    {0xe070f78d3927556aull, 0x85bbe253f47b1417ull},  // 5^192
    {0x8c469ab843b89562ull, 0x93956d7478ccec8eull},  // 5^193
    {0xaf58416654a6babbull, 0x387ac8d1970027b2ull},  // 5^194
    {0xdb2e51bfe9d0696aull, 0x06997b05fcc0319eull},  // 5^195
    {0x88fcf317f22241e2ull, 0x441fece3bdf81f03ull},  // 5^196
    {0xab3c2fddeeaad25aull, 0xd527e81cad7626c3ull},  // 5^197
    {0xd60b3bd56a5586f1ull, 0x8a71e223d8d3b074ull},  // 5^198
    {0x85c7056562757456ull, 0xf6872d5667844e49ull},  // 5^199
    {0xa738c6bebb12d16cull, 0xb428f8ac016561dbull},  // 5^200
    {0xd106f86e69d785c7ull, 0xe13336d701beba52ull},  // 5^201
    {0x82a45b450226b39cull, 0xecc0024661173473ull},  // 5^202
    {0xa34d721642b06084ull, 0x27f002d7f95d0190ull},  // 5^203
    {0xcc20ce9bd35c78a5ull, 0x31ec038df7b441f4ull},  // 5^204
    {0xff290242c83396ceull, 0x7e67047175a15271ull},  // 5^205
    {0x9f79a169bd203e41ull, 0x0f0062c6e984d386ull},  // 5^206
    {0xc75809c42c684dd1ull, 0x52c07b78a3e60868ull},  // 5^207
    {0xf92e0c3537826145ull, 0xa7709a56ccdf8a82ull},  // 5^208
    {0x9bbcc7a142b17ccbull, 0x88a66076400bb691ull},  // 5^209
    {0xc2abf989935ddbfeull, 0x6acff893d00ea435ull},  // 5^210
    {0xf356f7ebf83552feull, 0x0583f6b8c4124d43ull},  // 5^211
    {0x98165af37b2153deull, 0xc3727a337a8b704aull},  // 5^212
    {0xbe1bf1b059e9a8d6ull, 0x744f18c0592e4c5cull},  // 5^213
    {0xeda2ee1c7064130cull, 0x1162def06f79df73ull},  // 5^214
    {0x9485d4d1c63e8be7ull, 0x8addcb5645ac2ba8ull},  // 5^215
    {0xb9a74a0637ce2ee1ull, 0x6d953e2bd7173692ull},  // 5^216
    {0xe8111c87c5c1ba99ull, 0xc8fa8db6ccdd0437ull},  // 5^217
    {0x910ab1d4db9914a0ull, 0x1d9c9892400a22a2ull},  // 5^218
    {0xb54d5e4a127f59c8ull, 0x2503beb6d00cab4bull},  // 5^219
    {0xe2a0b5dc971f303aull, 0x2e44ae64840fd61dull},  // 5^220
    {0x8da471a9de737e24ull, 0x5ceaecfed289e5d2ull},  // 5^221
    {0xb10d8e1456105dadull, 0x7425a83e872c5f47ull},  // 5^222
    {0xdd50f1996b947518ull, 0xd12f124e28f77719ull},  // 5^223
    {0x8a5296ffe33cc92full, 0x82bd6b70d99aaa6full},  // 5^224
    {0xace73cbfdc0bfb7bull, 0x636cc64d1001550bull},  // 5^225
    {0xd8210befd30efa5aull, 0x3c47f7e05401aa4eull},  // 5^226
    {0x8714a775e3e95c78ull, 0x65acfaec34810a71ull},  // 5^227
    {0xa8d9d1535ce3b396ull, 0x7f1839a741a14d0dull},  // 5^228
    {0xd31045a8341ca07cull, 0x1ede48111209a050ull},  // 5^229
    {0x83ea2b892091e44dull, 0x934aed0aab460432ull},  // 5^230
    {0xa4e4b66b68b65d60ull, 0xf81da84d5617853full},  // 5^231
    {0xce1de40642e3f4b9ull, 0x36251260ab9d668eull},  // 5^232
    {0x80d2ae83e9ce78f3ull, 0xc1d72b7c6b426019ull},  // 5^233
    {0xa1075a24e4421730ull, 0xb24cf65b8612f81full},  // 5^234
    {0xc94930ae1d529cfcull, 0xdee033f26797b627ull},  // 5^235
    {0xfb9b7cd9a4a7443cull, 0x169840ef017da3b1ull},  // 5^236
    {0x9d412e0806e88aa5ull, 0x8e1f289560ee864eull},  // 5^237
    {0xc491798a08a2ad4eull, 0xf1a6f2bab92a27e2ull},  // 5^238
    {0xf5b5d7ec8acb58a2ull, 0xae10af696774b1dbull},  // 5^239
    {0x9991a6f3d6bf1765ull, 0xacca6da1e0a8ef29ull},  // 5^240
    {0xbff610b0cc6edd3full, 0x17fd090a58d32af3ull},  // 5^241
    {0xeff394dcff8a948eull, 0xddfc4b4cef07f5b0ull},  // 5^242
    {0x95f83d0a1fb69cd9ull, 0x4abdaf101564f98eull},  // 5^243
    {0xbb764c4ca7a4440full, 0x9d6d1ad41abe37f1ull},  // 5^244
    {0xea53df5fd18d5513ull, 0x84c86189216dc5edull},  // 5^245
    {0x92746b9be2f8552cull, 0x32fd3cf5b4e49bb4ull},  // 5^246
    {0xb7118682dbb66a77ull, 0x3fbc8c33221dc2a1ull},  // 5^247
    {0xe4d5e82392a40515ull, 0x0fabaf3feaa5334aull},  // 5^248
    {0x8f05b1163ba6832dull, 0x29cb4d87f2a7400eull},  // 5^249
    {0xb2c71d5bca9023f8ull, 0x743e20e9ef511012ull},  // 5^250
    {0xdf78e4b2bd342cf6ull, 0x914da9246b255416ull},  // 5^251
    {0x8bab8eefb6409c1aull, 0x1ad089b6c2f7548eull},  // 5^252
    {0xae9672aba3d0c320ull, 0xa184ac2473b529b1ull},  // 5^253
    {0xda3c0f568cc4f3e8ull, 0xc9e5d72d90a2741eull},  // 5^254
    {0x8865899617fb1871ull, 0x7e2fa67c7a658892ull},  // 5^255
    {0xaa7eebfb9df9de8dull, 0xddbb901b98feeab7ull},  // 5^256
    {0xd51ea6fa85785631ull, 0x552a74227f3ea565ull},  // 5^257
    {0x8533285c936b35deull, 0xd53a88958f87275full},  // 5^258
    {0xa67ff273b8460356ull, 0x8a892abaf368f137ull},  // 5^259
    {0xd01fef10a657842cull, 0x2d2b7569b0432d85ull},  // 5^260
    {0x8213f56a67f6b29bull, 0x9c3b29620e29fc73ull},  // 5^261
    {0xa298f2c501f45f42ull, 0x8349f3ba91b47b8full},  // 5^262
    {0xcb3f2f7642717713ull, 0x241c70a936219a73ull},  // 5^263
    {0xfe0efb53d30dd4d7ull, 0xed238cd383aa0110ull},  // 5^264
    {0x9ec95d1463e8a506ull, 0xf4363804324a40aaull},  // 5^265
    {0xc67bb4597ce2ce48ull, 0xb143c6053edcd0d5ull},  // 5^266
    {0xf81aa16fdc1b81daull, 0xdd94b7868e94050aull},  // 5^267
    {0x9b10a4e5e9913128ull, 0xca7cf2b4191c8326ull},  // 5^268
    {0xc1d4ce1f63f57d72ull, 0xfd1c2f611f63a3f0ull},  // 5^269
    {0xf24a01a73cf2dccfull, 0xbc633b39673c8cecull},  // 5^270
    {0x976e41088617ca01ull, 0xd5be0503e085d813ull},  // 5^271
    {0xbd49d14aa79dbc82ull, 0x4b2d8644d8a74e18ull},  // 5^272
    {0xec9c459d51852ba2ull, 0xddf8e7d60ed1219eull},  // 5^273
    {0x93e1ab8252f33b45ull, 0xcabb90e5c942b503ull},  // 5^274
    {0xb8da1662e7b00a17ull, 0x3d6a751f3b936243ull},  // 5^275
    {0xe7109bfba19c0c9dull, 0x0cc512670a783ad4ull},  // 5^276
    {0x906a617d450187e2ull, 0x27fb2b80668b24c5ull},  // 5^277
    {0xb484f9dc9641e9daull, 0xb1f9f660802dedf6ull},  // 5^278
    {0xe1a63853bbd26451ull, 0x5e7873f8a0396973ull},  // 5^279
    {0x8d07e33455637eb2ull, 0xdb0b487b6423e1e8ull},  // 5^280
    {0xb049dc016abc5e5full, 0x91ce1a9a3d2cda62ull},  // 5^281
    {0xdc5c5301c56b75f7ull, 0x7641a140cc7810fbull},  // 5^282
    {0x89b9b3e11b6329baull, 0xa9e904c87fcb0a9dull},  // 5^283
    {0xac2820d9623bf429ull, 0x546345fa9fbdcd44ull},  // 5^284
    {0xd732290fbacaf133ull, 0xa97c177947ad4095ull},  // 5^285
    {0x867f59a9d4bed6c0ull, 0x49ed8eabcccc485dull},  // 5^286
    {0xa81f301449ee8c70ull, 0x5c68f256bfff5a74ull},  // 5^287
    {0xd226fc195c6a2f8cull, 0x73832eec6fff3111ull},  // 5^288
    {0x83585d8fd9c25db7ull, 0xc831fd53c5ff7eabull},  // 5^289
    {0xa42e74f3d032f525ull, 0xba3e7ca8b77f5e55ull},  // 5^290
    {0xcd3a1230c43fb26full, 0x28ce1bd2e55f35ebull},  // 5^291
    {0x80444b5e7aa7cf85ull, 0x7980d163cf5b81b3ull},  // 5^292
    {0xa0555e361951c366ull, 0xd7e105bcc332621full},  // 5^293
    {0xc86ab5c39fa63440ull, 0x8dd9472bf3fefaa7ull},  // 5^294
    {0xfa856334878fc150ull, 0xb14f98f6f0feb951ull},  // 5^295
    {0x9c935e00d4b9d8d2ull, 0x6ed1bf9a569f33d3ull},  // 5^296
    {0xc3b8358109e84f07ull, 0x0a862f80ec4700c8ull},  // 5^297
    {0xf4a642e14c6262c8ull, 0xcd27bb612758c0faull},  // 5^298
    {0x98e7e9cccfbd7dbdull, 0x8038d51cb897789cull},  // 5^299
    {0xbf21e44003acdd2cull, 0xe0470a63e6bd56c3ull},  // 5^300
    {0xeeea5d5004981478ull, 0x1858ccfce06cac74ull},  // 5^301
    {0x95527a5202df0ccbull, 0x0f37801e0c43ebc8ull},  // 5^302
    {0xbaa718e68396cffdull, 0xd30560258f54e6baull},  // 5^303
    {0xe950df20247c83fdull, 0x47c6b82ef32a2069ull},  // 5^304
    {0x91d28b7416cdd27eull, 0x4cdc331d57fa5441ull},  // 5^305
    {0xb6472e511c81471dull, 0xe0133fe4adf8e952ull},  // 5^306
    {0xe3d8f9e563a198e5ull, 0x58180fddd97723a6ull},  // 5^307
    {0x8e679c2f5e44ff8full, 0x570f09eaa7ea7648ull},  // 5^308
    {0xb201833b35d63f73ull, 0x2cd2cc6551e513daull},  // 5^309
    {0xde81e40a034bcf4full, 0xf8077f7ea65e58d1ull},  // 5^310
    {0x8b112e86420f6191ull, 0xfb04afaf27faf782ull},  // 5^311
    {0xadd57a27d29339f6ull, 0x79c5db9af1f9b563ull},  // 5^312
    {0xd94ad8b1c7380874ull, 0x18375281ae7822bcull},  // 5^313
    {0x87cec76f1c830548ull, 0x8f2293910d0b15b5ull},  // 5^314
    {0xa9c2794ae3a3c69aull, 0xb2eb3875504ddb22ull},  // 5^315
    {0xd433179d9c8cb841ull, 0x5fa60692a46151ebull},  // 5^316
    {0x849feec281d7f328ull, 0xdbc7c41ba6bcd333ull},  // 5^317
    {0xa5c7ea73224deff3ull, 0x12b9b522906c0800ull},  // 5^318
    {0xcf39e50feae16befull, 0xd768226b34870a00ull},  // 5^319
    {0x81842f29f2cce375ull, 0xe6a1158300d46640ull},  // 5^320
    {0xa1e53af46f801c53ull, 0x60495ae3c1097fd0ull},  // 5^321
    {0xca5e89b18b602368ull, 0x385bb19cb14bdfc4ull},  // 5^322
    {0xfcf62c1dee382c42ull, 0x46729e03dd9ed7b5ull},  // 5^323
    {0x9e19db92b4e31ba9ull, 0x6c07a2c26a8346d1ull},  // 5^324
    {0xc5a05277621be293ull, 0xc7098b7305241885ull},  // 5^325
    {0xf70867153aa2db38ull, 0xb8cbee4fc66d1ea7ull},  // 5^326
    {0x9a65406d44a5c903ull, 0x737f74f1dc043328ull},  // 5^327
    {0xc0fe908895cf3b44ull, 0x505f522e53053ff2ull},  // 5^328
    {0xf13e34aabb430a15ull, 0x647726b9e7c68fefull},  // 5^329
    {0x96c6e0eab509e64dull, 0x5eca783430dc19f5ull},  // 5^330
    {0xbc789925624c5fe0ull, 0xb67d16413d132072ull},  // 5^331
    {0xeb96bf6ebadf77d8ull, 0xe41c5bd18c57e88full},  // 5^332
    {0x933e37a534cbaae7ull, 0x8e91b962f7b6f159ull},  // 5^333
    {0xb80dc58e81fe95a1ull, 0x723627bbb5a4adb0ull},  // 5^334
    {0xe61136f2227e3b09ull, 0xcec3b1aaa30dd91cull},  // 5^335
    {0x8fcac257558ee4e6ull, 0x213a4f0aa5e8a7b1ull},  // 5^336
    {0xb3bd72ed2af29e1full, 0xa988e2cd4f62d19dull},  // 5^337
    {0xe0accfa875af45a7ull, 0x93eb1b80a33b8605ull},  // 5^338
    {0x8c6c01c9498d8b88ull, 0xbc72f130660533c3ull},  // 5^339
    {0xaf87023b9bf0ee6aull, 0xeb8fad7c7f8680b4ull},  // 5^340
    {0xdb68c2ca82ed2a05ull, 0xa67398db9f6820e1ull},  // 5^341
    {0x892179be91d43a43ull, 0x88083f8943a1148cull},  // 5^342
    {0xab69d82e364948d4ull, 0x6a0a4f6b948959b0ull},  // 5^343
    {0xd6444e39c3db9b09ull, 0x848ce34679abb01cull},  // 5^344
    {0x85eab0e41a6940e5ull, 0xf2d80e0c0c0b4e11ull},  // 5^345
};

namespace {

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

struct Wide {
    std::uint64_t high;
    std::uint64_t low;
};

Wide multiply(std::uint64_t a, std::uint64_t b) noexcept {
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
}

double compose(std::uint64_t mantissa, int biasedExponent, bool negative) noexcept {
    std::uint64_t bits = mantissa | (static_cast<std::uint64_t>(biasedExponent) << kMantissaBits);
    if (negative) {
        bits |= std::uint64_t{1} << 63;
    }
    return std::bit_cast<double>(bits);
}

double signedZero(bool negative) noexcept { return negative ? -0.0 : 0.0; }

double signedInfinity(bool negative) noexcept {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    return negative ? -kInfinity : kInfinity;
}

// m * 5^q to 128 bits; the second table word is needed only when the bits
// below the 55 that matter are all ones (a carry from below could flip them).
bool productOfPower(std::uint64_t m, int q, Wide& product) noexcept {
    const std::uint64_t* const power = detail::kPowersOfFive[q - kSmallestTenPower];
    product = multiply(m, power[0]);
    constexpr std::uint64_t kBelowPrecision = ~std::uint64_t{0} >> (kMantissaBits + 3);
    if ((product.high & kBelowPrecision) == kBelowPrecision) {
        const Wide lower = multiply(m, power[1]);
        product.low += lower.high;
        if (lower.high > product.low) {
            ++product.high;
        }
    }
    // Still all ones: the truncated table cannot tell, except where 5^q (or
    // its reciprocal) is exact in 128 bits.
    return product.low != ~std::uint64_t{0} || (q >= -27 && q <= 55);
}

}  // namespace

bool decimalToDouble(std::uint64_t digits, std::int64_t exponent, bool negative, double& out) noexcept {
    // Below the table, even 19 digits round to zero.
    if (digits == 0 || exponent < kSmallestTenPower) {
        out = signedZero(negative);
        return true;
    }
    if (exponent > kLargestPower) {
        out = signedInfinity(negative);
        return true;
    }
    const int q = static_cast<int>(exponent);
    if (digits <= (std::uint64_t{1} << 53) && q >= -22 && q <= 22) {
        const double m = static_cast<double>(digits);
        const double value = q < 0 ? m / kExactPowersOfTen[-q] : m * kExactPowersOfTen[q];
        out = negative ? -value : value;
        return true;
    }
    const int leadingZeros = std::countl_zero(digits);
    Wide product{};
    if (!productOfPower(digits << leadingZeros, q, product)) {
        return false;
    }
    const int upperBit = static_cast<int>(product.high >> 63);
    const int shift = upperBit + 64 - kMantissaBits - 3;
    std::uint64_t mantissa = product.high >> shift;
    const int binaryPower = floorLog2OfTen(q) + 63;
    int biased = binaryPower + upperBit - leadingZeros + kExponentBias;
    if (biased <= 0) {
        // Subnormal: shift out what the smaller exponent cannot hold, then round.
        if (-biased + 1 >= 64) {
            out = signedZero(negative);
            return true;
        }
        mantissa >>= -biased + 1;
        mantissa += mantissa & 1;
        mantissa >>= 1;
        biased = mantissa < (std::uint64_t{1} << kMantissaBits) ? 0 : 1;
        out = compose(mantissa, biased, negative);
        return true;
    }
    // An exact tie (possible only where 5^q is small) rounds to even, not up.
    if (product.low <= 1 && q >= -4 && q <= 23 && (mantissa & 3) == 1 && (mantissa << shift) == product.high) {
        mantissa &= ~std::uint64_t{1};
    }
    mantissa += mantissa & 1;
    mantissa >>= 1;
    if (mantissa >= (std::uint64_t{2} << kMantissaBits)) {
        mantissa = std::uint64_t{1} << kMantissaBits;
        ++biased;
    }
    mantissa &= ~(std::uint64_t{1} << kMantissaBits);
    if (biased >= kInfiniteExponent) {
        out = signedInfinity(negative);
        return true;
    }
    out = compose(mantissa, biased, negative);
    return true;
}

}  // namespace pocketjson

// plot area, clip rectangle and the mapping between them
window()
toscreen([-1,-1])
toscreen([1,1])
fromscreen([510,520])
window([500,500,100,100]); window()
window([10,30,1010,1010]);
clip([-5,-5,2000,2000])
clip()
clip([0,0,100,100]); clip()
clip([0,0,1023,1023]);
textsize()
pixel()
// reversed corners at the ends of int stay ordered
window([2147483647,0,0,0]); window()
window([0,2147483647,5,-3]); window()
window([-2147483648,-2147483648,-2147483648,-2147483648]); window()
clip([0,4294967295,0,0])
clip([1e300,1e300,-1e300,-1e300])
clip()
window([10,30,1010,1010]); clip([0,0,1023,1023]);
window(1)
clip(1:3)
toscreen(1)
fromscreen("a")

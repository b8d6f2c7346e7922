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
window(1)
clip(1:3)
toscreen(1)
fromscreen("a")

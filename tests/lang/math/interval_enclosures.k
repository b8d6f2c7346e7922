// Each line is 1 when the computed interval holds the exact result where
// rounding to nearest alone would lose it: a bound moves off the nearest
// double only on the side where the exact result lies; exact results keep
// their bounds.
x=~1,1~/~3,3~; left(x)==1/3 && right(x)>1/3
x=~0.1,0.1~+~0.2,0.2~; left(x)<0.1+0.2 && right(x)==0.1+0.2
x=~0.3,0.3~-~0.1,0.1~; left(x)==0.3-0.1 && right(x)==0.3-0.1
x=~1e-200,1e-200~*~1e-200,1e-200~; left(x)==0 && right(x)>0
x=~-1e-200,-1e-200~*~1e-200,1e-200~; left(x)<0 && right(x)==0
x=~1e-300,1e-300~/~1e300,1e300~; left(x)==0 && right(x)>0
x=~1e300,1e300~*~1e300,1e300~; left(x)>1e308 && right(x)>left(x)
x=exp(~-800,-800~); left(x)==0 && right(x)>0
x=sqrt(~2,2~); left(x)<sqrt(2) && right(x)==sqrt(2)
x=~180,180~°; left(x)==pi && right(x)>pi
x=~1,1~%; left(x)<0.01 && right(x)==0.01
x=~3,3~^~0.5,0.5~; left(x)<sqrt(3) && right(x)>sqrt(3)
x=~-3,-3~^~3,3~; left(x)<-27 && right(x)>-27
x=log(~2,2~); left(x)<log(2) && right(x)>log(2)
x=~1,2~*3; left(x)==3 && right(x)==6
x=1/~3,3~; left(x)==1/3 && right(x)>1/3
x=[~1,1~,~2,2~]/3; left(x)==[1,2]/3 && right(x)>[1,2]/3
x=~0,0~+~0,0~; left(x)==0 && right(x)==0
x=~0,0~*~-1,1~; left(x)==0 && right(x)==0
x=expand(~1,3~,2); left(x)<=0 && right(x)>=4
x=expand(~0.08191449917753957,1.5315857018004735~,1.2180904939973614); left(x)<=-0.07616525517935273 && right(x)>=1.6896654561573659

// The powers 1 and 0 of any interval are exact, also at the largest numbers.
x=1.7976931348623157e308;
~x,x~^1 == ~x,x~
~-x,x~^1 == ~-x,x~
~x,x~^0
~-3,2~^0
~0,0~^0
~2,3~^1
[~1,2~,~-x,-1~]^1
~2,3~^2

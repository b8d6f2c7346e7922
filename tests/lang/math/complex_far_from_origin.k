// Complex inverse functions and tan far from the origin.
asin(1e8*I)
tan(1+400i)
tan(1-400i)
atan(complex(1e300))
acos(complex(2))
asin(complex(2))
abs(acos(complex(0.999999))-acos(0.999999))<1e-15
abs(asin(0.5+0.5i)-(0.452278447151191+0.530637530952518i))<1e-14
// atan has poles at i and -i.
atan(I)
atan(-I)

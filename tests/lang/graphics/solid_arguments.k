// Refused arguments of solid in its three forms (three matrices; with
// breaks; shaded), each argument in turn. Every given argument (up to
// eight) is resolved before any is checked: an empty argument (a name that
// cannot be resolved; "f(a,,)" for the last one) is reported even after a
// wrong one.
x=-1:0.5:1; y=x'; z=x^2+y^2;
solid()
solid(x)
solid(,)
solid(x,y)
solid(x,,)
solid("a","b")
solid(1i)
solid("a",y,z)
solid(x,"b",z)
solid(x,y,1i)
solid(x,y,~1,2~)
solid("a",y,,)
solid(,y,z)
// with breaks: matrices only (a 1 x 1 matrix is a scalar)
solid("a",y,z,[1])
solid(x,"b",z,[1])
solid(x,y,1,[1])
solid(x,y,z,1i)
solid(x,y,z,[1i,2])
solid("a",y,z,,)
// shaded: x, y, z and hue first, then values, levels and limits; the
// levels are checked before the values
solid("a",y,z,none,z)
solid(x,y,z,none,"e")
solid(x,y,z,"d",z)
solid(x,y,z,none,z,"f")
solid(x,y,z,none,z,z,"g")
solid(x,y,z,none,z,"f","g")
solid(x,y,z,none,z,none)
solid(x,y,z,none,z,z,none,"h")
solid(x,y,z,none,z,"f","g","h")
solid(x,y,z,none,z,"f",,)
solid(x,y,z,none,z,z,"g",,)
solid("a",y,z,none,z,z,z,[0,1],,)
// inside a function
function draw(a, b, c)
  return solid(a, b, c)
endfunction
draw(x, y, "c")

break
continue
end
while 1
until 1
return
endif
then

# A Python file for load and pyload.
def square(x):
    return x * x


print("squares loaded")
